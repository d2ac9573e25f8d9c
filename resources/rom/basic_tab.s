; Tessaly BASIC: tables.

; The keywords, in token order from $80; the last character of each has
; bit 7 set. A 0 ends the table.
KWTAB:
        .byte   "EN", 'D'|$80
        .byte   "FO", 'R'|$80
        .byte   "NEX", 'T'|$80
        .byte   "DAT", 'A'|$80
        .byte   "INPU", 'T'|$80
        .byte   "DI", 'M'|$80
        .byte   "REA", 'D'|$80
        .byte   "LE", 'T'|$80
        .byte   "GOT", 'O'|$80
        .byte   "RU", 'N'|$80
        .byte   "I", 'F'|$80
        .byte   "RESTOR", 'E'|$80
        .byte   "GOSU", 'B'|$80
        .byte   "RETUR", 'N'|$80
        .byte   "RE", 'M'|$80
        .byte   "STO", 'P'|$80
        .byte   "O", 'N'|$80
        .byte   "NUL", 'L'|$80
        .byte   "WAI", 'T'|$80
        .byte   "LOA", 'D'|$80
        .byte   "SAV", 'E'|$80
        .byte   "DE", 'F'|$80
        .byte   "POK", 'E'|$80
        .byte   "PRIN", 'T'|$80
        .byte   "CON", 'T'|$80
        .byte   "LIS", 'T'|$80
        .byte   "CLEA", 'R'|$80
        .byte   "NE", 'W'|$80
        .byte   "TAB", '('|$80
        .byte   "T", 'O'|$80
        .byte   "F", 'N'|$80
        .byte   "SPC", '('|$80
        .byte   "THE", 'N'|$80
        .byte   "NO", 'T'|$80
        .byte   "STE", 'P'|$80
        .byte   "AN", 'D'|$80
        .byte   "O", 'R'|$80
        .byte   "SG", 'N'|$80
        .byte   "IN", 'T'|$80
        .byte   "AB", 'S'|$80
        .byte   "US", 'R'|$80
        .byte   "SQ", 'R'|$80
        .byte   "RN", 'D'|$80
        .byte   "LO", 'G'|$80
        .byte   "EX", 'P'|$80
        .byte   "CO", 'S'|$80
        .byte   "SI", 'N'|$80
        .byte   "TA", 'N'|$80
        .byte   "AT", 'N'|$80
        .byte   "FR", 'E'|$80
        .byte   "PO", 'S'|$80
        .byte   "PEE", 'K'|$80
        .byte   "LE", 'N'|$80
        .byte   "STR", '$'|$80
        .byte   "VA", 'L'|$80
        .byte   "AS", 'C'|$80
        .byte   "CHR", '$'|$80
        .byte   "LEFT", '$'|$80
        .byte   "RIGHT", '$'|$80
        .byte   "MID", '$'|$80
        .byte   0

; Statement handlers by token ($80..), each address - 1 (entered by RTS).
STMTAB:
        .word   END-1
        .word   FOR-1
        .word   NEXT-1
        .word   DATA-1
        .word   INPUT-1
        .word   DIM-1
        .word   READ-1
        .word   LET-1
        .word   GOTO-1
        .word   RUN-1
        .word   IF-1
        .word   RESTORE-1
        .word   GOSUB-1
        .word   RETURN-1
        .word   REM-1
        .word   STOP-1
        .word   ON-1
        .word   NULL-1
        .word   WAIT-1
        .word   LOAD-1
        .word   SAVE-1
        .word   DEF-1
        .word   POKE-1
        .word   PRINT-1
        .word   CONT-1
        .word   LIST-1
        .word   CLEAR-1
        .word   NEW-1

; Function handlers by token from TK_SGN, each address - 1.
FUNTAB:
        .word   FSGN-1
        .word   FINT-1
        .word   FABS-1
        .word   USRJMP-1
        .word   FSQR-1
        .word   FRND-1
        .word   FLOG-1
        .word   FEXP-1
        .word   FCOS-1
        .word   FSIN-1
        .word   FTAN-1
        .word   FATN-1
        .word   FRE-1
        .word   POS-1
        .word   PEEK-1
        .word   LEN-1
        .word   STRS-1
        .word   VAL-1
        .word   ASC-1
        .word   CHRS-1
        .word   LEFTS-1
        .word   RIGHTS-1
        .word   MIDS-1

; Error codes by number (basic.inc): two letters each, as the period's BASIC
; showed them.
ERRMSG: .byte   "NF", "SN", "RG", "OD", "FC", "OV", "OM", "UL", "BS", "DD", "/0", "ID", "TM", "LS", "ST", "CN", "UF", "LL"

; The messages (PRTMSG): all within 256 bytes of MSGS.
MSGS:
GREET:  .byte   "TESSALY BASIC", $0D, 0
BYTESF: .byte   " BYTES FREE", $0D, 0
OKMSG:  .byte   "OK", $0D, 0
ERRWRD: .byte   " ERROR", 0
INMSG:  .byte   " IN ", 0
BRKMSG: .byte   "BREAK", 0
QMSG:   .byte   "? ", 0
REDO:   .byte   "?REDO FROM START", $0D, 0
NOSAVE: .byte   "SAVE NOT AVAILABLE", $0D, 0

; A value of 0: a variable that was never set reads it.
ZERO4:  .byte   0, 0, 0, 0
