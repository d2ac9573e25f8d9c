; Starfield: the sample cassette program. Load it in the monitor with L; it
; runs at once. It scatters stars over the screen, frames the screen with a
; double line, puts a box with a title in the middle, waits for a key, then
; clears the screen and returns to the monitor.
;
; The tape examples/starfield.tape is this program in the monitor's format;
; the build assembles this file and a test checks that the two agree.

        .setcpu "6502"

KEYGET  = $FD00         ; waits for a key
OUTCH   = $FFEE         ; prints the character in A
SCREEN  = $D000         ; 32 rows of 32 cells

SEED    = $00           ; 2 bytes: the random generator's state
PTR     = $02           ; 2 bytes: a cell on the screen
LCH     = $04           ; DRAWROW: the left, middle and right characters
MCH     = $05
RCH     = $06

STARS   = 90            ; how many stars are scattered
BOXTOP  = 12            ; the title box: top row, left column, inner width
BOXLEFT = 7
BOXIN   = 16

        .segment "CODE"

START:  lda     #$0C            ; clear the screen
        jsr     OUTCH
        lda     #$E1
        sta     SEED
        lda     #$AC
        sta     SEED+1
        ldx     #STARS
@star:  ldy     #9              ; a few steps of the generator per star
@step:  lsr     SEED+1          ; 16-bit Galois shift register
        ror     SEED
        bcc     @nofb
        lda     SEED+1
        eor     #$B4
        sta     SEED+1
@nofb:  dey
        bne     @step
        lda     SEED            ; the low 10 bits pick the cell
        sta     PTR
        lda     SEED+1
        and     #$03
        ora     #>SCREEN
        sta     PTR+1
        lda     SEED+1          ; two more bits pick the kind of star
        lsr     a
        lsr     a
        and     #$03
        tay
        lda     STARCH,y
        ldy     #0
        sta     (PTR),y
        dex
        bne     @star

        ldx     #30             ; the frame: top and bottom lines
@hline: lda     #$C8
        sta     SCREEN,x
        sta     SCREEN+31*32,x
        dex
        bne     @hline
        lda     #$CA
        sta     SCREEN
        lda     #$CB
        sta     SCREEN+31
        lda     #$CC
        sta     SCREEN+31*32
        lda     #$CD
        sta     SCREEN+31*32+31
        lda     #<(SCREEN+32)   ; the sides, rows 1..30
        sta     PTR
        lda     #>(SCREEN+32)
        sta     PTR+1
        ldx     #30
@vline: lda     #$C9
        ldy     #0
        sta     (PTR),y
        ldy     #31
        sta     (PTR),y
        jsr     NEXTROW
        dex
        bne     @vline

        lda     #<(SCREEN+BOXTOP*32+BOXLEFT)
        sta     PTR
        lda     #>(SCREEN+BOXTOP*32+BOXLEFT)
        sta     PTR+1
        ldx     #0              ; the box, row by row
@box:   lda     BOXL,x
        sta     LCH
        lda     BOXM,x
        sta     MCH
        lda     BOXR,x
        sta     RCH
        jsr     DRAWROW
        inx
        cpx     #BOXROWS
        bne     @box

        ldx     #TITLEN-1       ; the two lines of text
@title: lda     TITLE,x
        sta     SCREEN+(BOXTOP+2)*32+BOXLEFT+1+(BOXIN-TITLEN)/2,x
        dex
        bpl     @title
        ldx     #PRESSLEN-1
@press: lda     PRESS,x
        sta     SCREEN+(BOXTOP+4)*32+BOXLEFT+1+(BOXIN-PRESSLEN)/2,x
        dex
        bpl     @press

        jsr     KEYGET
        lda     #$0C
        jsr     OUTCH
        rts

; DRAWROW: draws LCH, BOXIN times MCH and RCH at PTR, then moves PTR down a
; row. Changes A and Y.
DRAWROW:
        ldy     #0
        lda     LCH
        sta     (PTR),y
        lda     MCH
@mid:   iny
        sta     (PTR),y
        cpy     #BOXIN
        bne     @mid
        iny
        lda     RCH
        sta     (PTR),y
        ; falls through

; NEXTROW: moves PTR down a row. Changes A.
NEXTROW:
        lda     PTR
        clc
        adc     #32
        sta     PTR
        bcc     @done
        inc     PTR+1
@done:  rts

STARCH: .byte   '.', '*', $BF, '+'      ; $BF: a bullet

; The box: corners, lines and the inside, top row to bottom row.
BOXL:   .byte   $B2, $B1, $B1, $B1, $B1, $B1, $B4
BOXM:   .byte   $B0, ' ', ' ', ' ', ' ', ' ', $B0
BOXR:   .byte   $B3, $B1, $B1, $B1, $B1, $B1, $B5
BOXROWS = * - BOXR

TITLE:  .byte   "TESSALY C1P"
TITLEN  = * - TITLE
PRESS:  .byte   "PRESS ANY KEY"
PRESSLEN = * - PRESS
