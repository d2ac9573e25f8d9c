; Tessaly System ROM (0xF800..0xFFFF).
;
; Reset sets up the stack, clears the screen and shows the boot prompt. The five conventional entry points at
; 0xFFEB..0xFFF7 jump into the routines below; each preserves X and Y, and
; OUTCH preserves A as well. No interrupt is ever raised: the firmware polls.

        .setcpu "6502"
        .include "c1p.inc"

        .segment "ZEROPAGE"

CUR:    .res    2               ; address of the cursor's cell
INSRC:  .res    1               ; input source: 0 keyboard, else cassette
LASTK:  .res    1               ; the key seen by the last scan, 0 for none
MODS:   .res    1               ; row 0 as last read (active low)
TMP:    .res    1
OUTA:   .res    1               ; the character OUTCH is writing

        .segment "CODE"

; ---------------------------------------------------------------- reset

RESET:  sei
        cld
        ldx     #$FF
        txs
        lda     #0
        sta     INSRC
        sta     LASTK
        jsr     CLRSCR
        ldx     #0
@msg:   lda     BANNER,x
        beq     @ask
        jsr     OUTCH
        inx
        bne     @msg
; The boot prompt: C cold-starts BASIC, W warm-starts it, M is the monitor
; (for now it echoes keys).
@ask:   jsr     INCH
        and     #$DF            ; upper case
        cmp     #'C'
        bne     @notc
        jmp     BASCOLD
@notc:  cmp     #'W'
        bne     @notw
        jmp     BASWARM
@notw:  cmp     #'M'
        bne     @ask
        jsr     OUTCH
        lda     #$0D
        jsr     OUTCH
@echo:  jsr     INCH
        jsr     OUTCH
        jmp     @echo

BANNER: .byte   "C/W/M ?", 0

; Interrupts are never raised; BRK lands here and returns.
IRQ:
NMI:    rti

; ---------------------------------------------------------------- screen

; Fills the screen with spaces and puts the cursor at the top left.
CLRSCR: lda     #<SCREEN
        sta     CUR
        lda     #>SCREEN
        sta     CUR+1
        lda     #' '
        ldx     #0
@fill:  sta     SCREEN,x
        sta     SCREEN+$100,x
        sta     SCREEN+$200,x
        sta     SCREEN+$300,x
        inx
        bne     @fill
        rts

; Writes the character in A at the cursor. Return (0x0D) starts the next
; row, line feed is ignored, backspace rubs out the cell before the cursor
; within its row. Past the last row the screen scrolls up by one row.
; Preserves A, X and Y.
OUTCH:  sta     OUTA
        pha
        txa
        pha
        tya
        pha
        lda     OUTA
        cmp     #$0D
        beq     @cr
        cmp     #$0A
        beq     @done
        cmp     #$08
        beq     @bs
        ldy     #0
        sta     (CUR),y
        inc     CUR
        bne     @check
        inc     CUR+1
        bne     @check          ; always taken
@cr:    lda     CUR
        and     #$E0            ; start of the row
        clc
        adc     #ROWLEN
        sta     CUR
        bcc     @check
        inc     CUR+1
@check: lda     CUR+1
        cmp     #>(SCREEN+SCRSIZE)
        bne     @done
        jsr     SCROLL
        jmp     @done
@bs:    lda     CUR
        and     #ROWLEN-1
        beq     @done           ; at the start of a row: nothing to rub out
        dec     CUR             ; never borrows: the low byte is not 0
        lda     #' '
        ldy     #0
        sta     (CUR),y
@done:  pla
        tay
        pla
        tax
        pla
        rts

; Moves rows 1..31 up by one row, clears the last row and puts the cursor
; at its start. Each page is copied upwards in address order, so no source
; byte is overwritten before it has been read.
SCROLL: ldx     #0
@p0:    lda     SCREEN+$020,x
        sta     SCREEN+$000,x
        inx
        bne     @p0
@p1:    lda     SCREEN+$120,x
        sta     SCREEN+$100,x
        inx
        bne     @p1
@p2:    lda     SCREEN+$220,x
        sta     SCREEN+$200,x
        inx
        bne     @p2
@p3:    lda     SCREEN+$320,x
        sta     SCREEN+$300,x
        inx
        cpx     #SCRSIZE-$300-ROWLEN
        bne     @p3
        lda     #' '
        ldx     #ROWLEN-1
@clear: sta     SCREEN+SCRSIZE-ROWLEN,x
        dex
        bpl     @clear
        lda     #<(SCREEN+SCRSIZE-ROWLEN)
        sta     CUR
        lda     #>(SCREEN+SCRSIZE-ROWLEN)
        sta     CUR+1
        rts

; ---------------------------------------------------------------- input

; Reads one character into A, waiting for it. While LOAD has switched input
; to the cassette, the character is the next byte of the tape; at the end of
; the tape input returns to the keyboard. Preserves X and Y.
INCH:   txa
        pha
        tya
        pha
@next:  lda     INSRC
        beq     @key
        lda     CASSTAT
        and     #1
        beq     @eot
        lda     CASDATA
        jmp     @got
@eot:   lda     #0
        sta     INSRC
; A key counts when it appears; it is accepted again only after a scan has
; seen it released (the emulation releases a typed key after a few scans).
@key:   jsr     KSCAN
        cmp     LASTK
        beq     @key
        sta     LASTK
        cmp     #0
        beq     @key
@got:   sta     TMP
        pla
        tay
        pla
        tax
        lda     TMP
        rts

; Scans the keyboard: A = the character of the highest key down in rows
; 7..1, with Shift and Ctrl applied, else 0x1B for Escape, else 0.
; Changes X and Y.
KSCAN:  ldx     #7
@row:   lda     ROWSEL,x
        sta     KBD
        lda     KBD
        eor     #$FF
        bne     @found
        dex
        bne     @row
        lda     #$FE            ; row 0: only Escape is a key of its own
        sta     KBD
        lda     KBD
        and     #$20
        bne     @none
        lda     #$1B
        rts
@none:  lda     #0
        rts
@found: ldy     #7              ; the highest bit down gives the column
@bit:   asl     a
        bcs     @col
        dey
        bpl     @bit
@col:   sty     TMP
        txa
        asl     a
        asl     a
        asl     a
        ora     TMP
        tay                     ; Y = row * 8 + bit
        lda     #$FE
        sta     KBD
        lda     KBD
        sta     MODS
        and     #$06            ; either Shift down reads as a 0 bit
        cmp     #$06
        beq     @plain
        lda     SHIFTTAB,y
        bne     @ctrl
@plain: lda     KEYTAB,y
@ctrl:  tax
        lda     MODS
        and     #$40            ; Ctrl down?
        bne     @done
        cpx     #'A'
        bcc     @done
        cpx     #'Z'+1
        bcs     @done
        txa
        and     #$1F            ; Ctrl with a letter gives its control code
        tax
@done:  txa
        rts

; Row-select bytes: a 0 bit selects the row.
ROWSEL: .byte   $FE, $FD, $FB, $F7, $EF, $DF, $BF, $7F

; Characters of the matrix positions, row by row, bit 0 first. Row 0 holds
; the modifier keys only. Row 6 bit 2 is the host's Delete key (rub out).
KEYTAB: .byte   0,   0,   0,   0,   0,   0,   0,   0
        .byte   0,   'P', ';', '/', ' ', 'Z', 'A', 'Q'
        .byte   0,   ',', 'M', 'N', 'B', 'V', 'C', 'X'
        .byte   0,   'K', 'J', 'H', 'G', 'F', 'D', 'S'
        .byte   0,   'I', 'U', 'Y', 'T', 'R', 'E', 'W'
        .byte   0,   0,   0,   $0D, 0,   'O', 'L', '.'
        .byte   0,   0,   $7F, '-', ':', '0', '9', '8'
        .byte   0,   '7', '6', '5', '4', '3', '2', '1'

; The same with Shift; 0 where Shift changes nothing. Shift with 'O' is
; backspace.
SHIFTTAB:
        .byte   0,   0,   0,   0,   0,   0,   0,   0
        .byte   0,   0,   '+', '?', 0,   0,   0,   0
        .byte   0,   '<', 0,   0,   0,   0,   0,   0
        .byte   0,   0,   0,   0,   0,   0,   0,   0
        .byte   0,   0,   0,   0,   0,   0,   0,   0
        .byte   0,   0,   0,   0,   0,   $08, 0,   '>'
        .byte   0,   0,   0,   '=', '*', 0,   ')', '('
        .byte   0,   $27, '&', '%', '$', '#', '"', '!'

; Returns with carry set and A = 3 while Ctrl and C are both down, else
; with carry clear and A = 0. Preserves X and Y.
CTRLC:  lda     #$FE
        sta     KBD
        lda     KBD
        and     #$40
        bne     @no
        lda     #$FB            ; row 2: C is bit 6
        sta     KBD
        lda     KBD
        and     #$40
        bne     @no
        lda     #3
        sec
        rts
@no:    lda     #0
        clc
        rts

; Switches input to the cassette. Preserves A, X and Y.
LOAD:   pha
        lda     #1
        sta     INSRC
        pla
        rts

; There is no cassette output: returns at once with carry set to say so.
; Preserves A, X and Y.
SAVE:   sec
        rts

; ---------------------------------------------------------------- fixed

        .segment "ENTRIES"

        jmp     INCH            ; 0xFFEB: read a character into A
        jmp     OUTCH           ; 0xFFEE: write the character in A
        jmp     CTRLC           ; 0xFFF1: check for Ctrl-C
        jmp     LOAD            ; 0xFFF4: input from the cassette
        jmp     SAVE            ; 0xFFF7: output to the cassette

        .segment "VECTORS"

        .addr   NMI             ; 0xFFFA
        .addr   RESET           ; 0xFFFC
        .addr   IRQ             ; 0xFFFE (also BRK)
