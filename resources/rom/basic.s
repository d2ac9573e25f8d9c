; Tessaly BASIC ROM (0xA000..0xBFFF).
;
; Placeholder until the interpreter lands: the cold and warm entries at the
; start of the ROM lead back to the reset code. The linker fills the rest
; of the 8 KB with zeros.

        .setcpu "6502"
        .include "c1p.inc"
        .include "basic.inc"

        .segment "CODE"

; Both entries go back to the boot prompt for now.
COLD:   jmp     (ROM_RESET_VECTOR) ; 0xA000: cold start
WARM:   jmp     (ROM_RESET_VECTOR) ; 0xA003: warm start (keeps the program)

ROM_RESET_VECTOR = $FFFC

        .byte   "TESSALY BASIC", 0

ERROR:  jmp     (ROM_RESET_VECTOR)

        .include "fp.s"
