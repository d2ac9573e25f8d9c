// The expected opcode map of the 6502 description: instruction and mode of
// each opcode, empty where no instruction claims it.
#pragma once

// clang-format off
inline const char* const kOpcodeMap[256] = {
    // 0x
    "BRK", "ORA IndX", "", "", "", "ORA ZPage", "ASL ZPage", "",
    "PHP", "ORA Imm", "ASL Acc", "", "", "ORA Abs", "ASL Abs", "",
    // 1x
    "BPL", "ORA IndY", "", "", "", "ORA ZPageX", "ASL ZPageX", "",
    "CLC", "ORA AbsY", "", "", "", "ORA AbsX", "ASL AbsX", "",
    // 2x
    "JSR Abs", "AND IndX", "", "", "BIT ZPage", "AND ZPage", "ROL ZPage", "",
    "PLP", "AND Imm", "ROL Acc", "", "BIT Abs", "AND Abs", "ROL Abs", "",
    // 3x
    "BMI", "AND IndY", "", "", "", "AND ZPageX", "ROL ZPageX", "",
    "SEC", "AND AbsY", "", "", "", "AND AbsX", "ROL AbsX", "",
    // 4x
    "RTI", "EOR IndX", "", "", "", "EOR ZPage", "LSR ZPage", "",
    "PHA", "EOR Imm", "LSR Acc", "", "JMP Abs", "EOR Abs", "LSR Abs", "",
    // 5x
    "BVC", "EOR IndY", "", "", "", "EOR ZPageX", "LSR ZPageX", "",
    "CLI", "EOR AbsY", "", "", "", "EOR AbsX", "LSR AbsX", "",
    // 6x
    "RTS", "ADC IndX", "", "", "", "ADC ZPage", "ROR ZPage", "",
    "PLA", "ADC Imm", "ROR Acc", "", "JMP Ind", "ADC Abs", "ROR Abs", "",
    // 7x
    "BVS", "ADC IndY", "", "", "", "ADC ZPageX", "ROR ZPageX", "",
    "SEI", "ADC AbsY", "", "", "", "ADC AbsX", "ROR AbsX", "",
    // 8x
    "", "STA IndX", "", "", "STY ZPage", "STA ZPage", "STX ZPage", "",
    "DEY", "", "TXA", "", "STY Abs", "STA Abs", "STX Abs", "",
    // 9x
    "BCC", "STA IndY", "", "", "STY ZPageX", "STA ZPageX", "STX ZPageY", "",
    "TYA", "STA AbsY", "TXS", "", "", "STA AbsX", "", "",
    // Ax
    "LDY Imm", "LDA IndX", "LDX Imm", "", "LDY ZPage", "LDA ZPage", "LDX ZPage", "",
    "TAY", "LDA Imm", "TAX", "", "LDY Abs", "LDA Abs", "LDX Abs", "",
    // Bx
    "BCS", "LDA IndY", "", "", "LDY ZPageX", "LDA ZPageX", "LDX ZPageY", "",
    "CLV", "LDA AbsY", "TSX", "", "LDY AbsX", "LDA AbsX", "LDX AbsY", "",
    // Cx
    "CPY Imm", "CMP IndX", "", "", "CPY ZPage", "CMP ZPage", "DEC ZPage", "",
    "INY", "CMP Imm", "DEX", "", "CPY Abs", "CMP Abs", "DEC Abs", "",
    // Dx
    "BNE", "CMP IndY", "", "", "", "CMP ZPageX", "DEC ZPageX", "",
    "CLD", "CMP AbsY", "", "", "", "CMP AbsX", "DEC AbsX", "",
    // Ex
    "CPX Imm", "SBC IndX", "", "", "CPX ZPage", "SBC ZPage", "INC ZPage", "",
    "INX", "SBC Imm", "NOP", "", "CPX Abs", "SBC Abs", "INC Abs", "",
    // Fx
    "BEQ", "SBC IndY", "", "", "", "SBC ZPageX", "INC ZPageX", "",
    "SED", "SBC AbsY", "", "", "", "SBC AbsX", "INC AbsX", "",
};
// clang-format on
