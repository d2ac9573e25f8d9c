; Tessaly BASIC ROM (0xA000..0xBFFF).
;
; Placeholder until the interpreter lands: the cold and warm entries at the
; start of the ROM return to their caller at once. The linker fills the rest
; of the 8 KB with zeros.

        .setcpu "6502"

        .segment "CODE"

COLD:   rts                     ; 0xA000: cold start
WARM:   rts                     ; 0xA001: warm start (keeps the program)

        .byte   "TESSALY BASIC", 0
