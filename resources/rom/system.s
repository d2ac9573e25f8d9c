; Tessaly System ROM (0xF800..0xFFFF).
;
; The boot prompt, the screen driver, the keyboard scanner, the machine-
; language monitor and cassette input, with the conventional entry points
; that BASIC and the programs of the period call:
;
;   $FD00  wait for a key (also left at LASTKEY)
;   $FE00  the monitor
;   $FF00  reset: the boot prompt
;   $FFEB  input   $FFEE output   $FFF1 Ctrl-C check   $FFF4 LOAD   $FFF7 SAVE
;
; No interrupt is ever raised: the firmware polls the keyboard and the
; cassette. BRK (the only way through the IRQ vector) enters the monitor.
;
; RAM: zero page $E0..$FA holds all of the firmware's own state, so that a
; tape that loads into page 2 cannot upset the screen, the keyboard or the
; monitor while it loads. Of page 2 only the four flags that programs poke
; and peek are used (c1p.inc).
;
; Layout: each page that holds a fixed entry point is filled from that entry
; on: $FD00 keyboard and cassette input, $FE00 the monitor, $FF00 reset, BRK
; and the Ctrl-C check. The rest (the screen driver, LOAD and SAVE, the rest
; of the keyboard, monitor helpers) lies in $FA00..$FCFF. $F800..$F9FF is
; free (system.cfg).

        .setcpu "6502"
        .include "c1p.inc"

CURSOR  = $90           ; the cursor's glyph: a thick bar at the bottom of the
                        ; cell; not ASCII, so screen text reads cleanly
CH_BS   = $08           ; backspace: rubs out the cell before the cursor
CH_LF   = $0A           ; line feed: ignored
CH_FF   = $0C           ; form feed: clears the screen
CH_CR   = $0D           ; carriage return: starts the next line
CH_ESC  = $1B
SCREND  = SCREEN+SCRSIZE
LASTROW = SCREEN+SCRSIZE-ROWLEN

        .segment "ZEROPAGE"

CUR:    .res    2       ; the cursor's cell
LINE:   .res    2       ; the first cell of the line being written: backspace
                        ; never goes before it
WRAPF:  .res    1       ; 1 when the last character filled a row and moved
                        ; the cursor to the next: a Return then adds no row
UNDER:  .res    1       ; what the cursor's cell held before the cursor
OCH:    .res    1       ; OUTCH: the character and the caller's X and Y
OSX:    .res    1
OSY:    .res    1
ISX:    .res    1       ; INCH and KEYGET: the caller's X and Y
ISY:    .res    1
KPREV:  .res    8       ; per row: the keys taken and not yet seen released
KFOUND: .res    1       ; KSCAN: row * 8 + bit of the new key, $FF for none
KTMP:   .res    1
MADDR:  .res    2       ; monitor: the address shown
MMODE:  .res    1       ; monitor: 0 address mode, 1 data mode
MDIG:   .res    1       ; monitor: a hex digit came since the last Return
MLOAD:  .res    1       ; monitor: non-zero while it reads the cassette
MSRC:   .res    1       ; monitor: non-zero when the key came from the tape

; ============================================= $FD00: keyboard and cassette

        .segment "PAGEFD"

; KEYGET ($FD00): waits for a key from the keyboard (never the cassette).
; Gives the key in A and at LASTKEY; preserves X and Y.
KEYGET: stx     ISX
        sty     ISY
        jsr     KEYIN
        ldx     ISX
        ldy     ISY
        rts

; INCH ($FFEB): reads one character into A, waiting for it, without echo.
; While LOADFLG is set the character is the next byte of the cassette; when
; the tape has ended, or a key goes down (the key is dropped: it only stops
; the tape), LOADFLG is cleared and input comes from the keyboard again.
; Preserves X and Y.
INCH:   stx     ISX
        sty     ISY
        lda     LOADFLG
        beq     @key
        jsr     KSCAN
        bne     @stop
        lda     CASSTAT
        lsr     a
        bcc     @stop           ; nothing waiting: the end of the tape
        lda     CASDATA
        bcs     @out            ; always taken
@stop:  lda     #0
        sta     LOADFLG
@key:   jsr     KEYIN
@out:   ldx     ISX
        ldy     ISY
        rts

; KSCAN: one pass over the keyboard matrix, rows 7 down to 0, leaving row 0
; selected. Gives in A the character of a key that has gone down since it
; was last taken (Z clear), or 0 (Z set) when there is none. Changes X, Y.
;
; A typed key stays down only for a few selections of its row before the
; keyboard releases it, so a key counts on the pass that first sees it down;
; KPREV remembers it until a pass sees it up, and only then can it count
; again. One new key is taken per pass; another that went down at the same
; time is still new on the next pass. Shift, Ctrl and shift lock are read
; from row 0 after the key's own row in the same pass, so that they are the
; ones that came with the key.
;
; A row whose keys differ from the ones taken is read a second time before
; anything counts: the keyboard's bytes are refreshed whenever a host key
; arrives, and a read that meets such a refresh can return another row's
; keys. Such a read would count a key that is not there or take a held key
; for released; the second read comes after the refresh and is the row's
; own. Rows that have not changed, the common case, are read once.
KSCAN:  lda     #$FF
        sta     KFOUND
        ldx     #7
@row:   jsr     KROW
        cmp     KPREV,x
        beq     @keys
        jsr     KROW            ; changed: read again
@keys:  sta     KTMP
        and     KPREV,x         ; a key seen up is no longer taken
        sta     KPREV,x
        eor     KTMP            ; down and not taken: new
        beq     @next
        ldy     KFOUND
        bpl     @next           ; one key per pass
        ldy     #$FF
@bit:   iny
        lsr     a
        bcc     @bit            ; Y = the lowest new key's bit
        lda     BITS,y
        ora     KPREV,x
        sta     KPREV,x         ; taken
        sty     KTMP
        txa
        asl     a
        asl     a
        asl     a
        ora     KTMP
        sta     KFOUND
@next:  dex
        bpl     @row
        ldy     KFOUND
        bmi     @none
        ldx     #0              ; row 0 once more, selected afresh for the
        jsr     KROW            ; same reason as the second reads
        lda     KEYTAB,y
        beq     @none           ; an empty position
        sta     KTMP
        ldx     KBD             ; row 0, active low: bit 0 shift lock,
                                ; bits 1 and 2 Shift, bit 6 Ctrl
        cmp     #'A'
        bcc     @other
        cmp     #'Z'+1
        bcs     @other
        txa                     ; a letter
        and     #$40
        bne     @noctl
        lda     KTMP
        and     #$1F            ; Ctrl with a letter: its control code
        rts
@noctl: txa
        and     #$06
        cmp     #$06
        beq     @noshf
        lda     KTMP            ; Shift: upper case; Shift with O rubs out
        cmp     #'O'
        bne     @ret
        lda     #CH_BS
        rts
@noshf: txa
        lsr     a
        bcc     @ret            ; shift lock down: upper case
        lda     KTMP
        ora     #$20            ; lower case
        rts
@other: txa                     ; not a letter: Shift turns , - . / into
        and     #$06            ; < = > ? and 1..9 : ; into ! .. ) * +
        cmp     #$06
        beq     @ret
        lda     KTMP
        cmp     #','
        bcc     @ret
        cmp     #'<'
        bcs     @ret
        cmp     #'0'
        beq     @ret
        eor     #$10
        rts
@ret:   lda     KTMP
        rts
@none:  lda     #0
        rts

; KROW: selects row X of the keyboard; gives in A its keys that are down as
; 1 bits (of row 0 only Escape: its other keys are modifiers). Changes A.
KROW:   lda     BITS,x
        eor     #$FF
        sta     KBD
        lda     KBD
        eor     #$FF
        cpx     #0
        bne     @keys
        and     #$20
@keys:  rts

; ============================================================ $FE00: monitor

        .segment "PAGEFE"

; MONITOR ($FE00): the machine-language monitor. One row shows the address
; and the byte at it, "0300 A9" in address mode, "0300/A9" in data mode;
; the cursor follows the row.
;   .       address mode          /       data mode
;   0-9 A-F shift into the address (address mode) or into the byte at the
;           address, which is stored at once (data mode)
;   Return  data mode: on to the next address; either mode: a new row
;   G       address mode: runs the program at the address (an RTS comes
;           back to the monitor)
;   L       reads the cassette as if typed, until a key or the end of tape
;   Escape  back to the boot prompt
; From the tape, blank lines, line feeds, spaces and keys the monitor does
; not know are ignored; from the keyboard an unknown key shows "?".
; Entered with LOADFLG set (a program started from a tape that returns),
; it goes on reading the tape.
MONITOR:
        cld
        ldx     #$FF
        txs
        lda     #0
        sta     MMODE
        sta     MDIG
        lda     LOADFLG
        sta     MLOAD
        lda     CUR
        and     #ROWLEN-1
        beq     MLOOP           ; the cursor is at the start of a row
        jsr     NEWLN
MLOOP:  jsr     SHOWLN
MKEY:   jsr     MGET
        stx     MSRC
        cmp     #CH_CR
        beq     MCR
        cmp     #CH_LF
        beq     MKEY
        cmp     #' '
        beq     MKEY
        cmp     #'.'
        beq     MDOT
        cmp     #'/'
        beq     MSLASH
        jsr     HEXVAL
        bcc     MDIGIT
        and     #$DF            ; letters in either case
        ldx     MSRC
        bne     @tape
        cmp     #CH_ESC
        bne     @notesc
        jmp     RESET
@notesc:
        cmp     #'L'
        beq     MLD
@tape:  cmp     #'G'
        bne     MBAD
        lda     MMODE
        bne     MBAD            ; G runs only from address mode
        jsr     NEWLN
        lda     #>(MONRET-1)    ; a program's RTS comes back here
        pha
        lda     #<(MONRET-1)
        pha
        jmp     (MADDR)
MONRET: jmp     MONITOR

; Unknown keys: "?" beside the row from the keyboard; nothing from the tape.
MBAD:   lda     MSRC
        bne     MKEY
        ldx     #MSGBAD
        jmp     MSHOW

; L: reads the cassette, unless nothing is waiting on it.
MLD:    lda     CASSTAT
        lsr     a
        bcs     @tape
        ldx     #MSGTAPE
        jmp     MSHOW
@tape:  lda     #1
        sta     MLOAD
        sta     LOADFLG
        bne     MKEY            ; always taken

MDOT:   lda     #0
        .byte   $2C             ; BIT abs: skips the next LDA
MSLASH: lda     #1
        sta     MMODE
        jmp     MLOOP

; Return: data mode steps to the next address. A blank line on a tape
; (no digit since the last Return) changes nothing.
MCR:    lda     MSRC
        beq     @step
        lda     MDIG
        beq     MKEY
@step:  lda     MMODE
        beq     @row
        inc     MADDR
        bne     @row
        inc     MADDR+1
@row:   lda     #0
        sta     MDIG
        jsr     NEWLN
        jmp     MLOOP

; A hex digit (value in A) shifts into the address or the byte.
MDIGIT: sta     KTMP
        lda     #1
        sta     MDIG
        ldy     #0
        lda     MMODE
        bne     @byte
        ldx     #4
@shift: asl     MADDR
        rol     MADDR+1
        dex
        bne     @shift
        lda     MADDR
        ora     KTMP
        sta     MADDR
        jmp     MLOOP
@byte:  lda     (MADDR),y
        asl     a
        asl     a
        asl     a
        asl     a
        ora     KTMP
        sta     (MADDR),y
        jmp     MLOOP

; Rewrites the row with the message at MSGS+X (ended by 0) beside it.
MSHOW:  txa
        pha
        jsr     SHOWLN
        pla
        tax
        ldy     #1
@copy:  lda     MSGS,x
        beq     @done
        sta     (CUR),y
        inx
        iny
        bne     @copy           ; always taken
@done:  jmp     MKEY

; PRBYTE: prints A as two hex digits. Changes A.
PRBYTE: pha
        lsr     a
        lsr     a
        lsr     a
        lsr     a
        jsr     PRNIB
        pla
        and     #$0F
PRNIB:  cmp     #10
        bcc     @digit
        adc     #'A'-10-'0'-1   ; carry is set
@digit: adc     #'0'
        jmp     OUTCH

; ============================================ $FF00: reset, BRK, Ctrl-C check

        .segment "PAGEFF"

; RESET ($FF00, and the reset vector): sets up the machine and shows the
; boot prompt. C cold-starts BASIC, W warm-starts it (keeping its program),
; M enters the monitor; either case. Other keys are ignored.
RESET:  cld
        sei
        ldx     #$FF
        txs
        lda     #0
        sta     LOADFLG
        sta     SAVEFLG
        sta     CCDISAB
        sta     LASTKEY
        sta     MADDR
        sta     MADDR+1
        lda     #$FF            ; keys down at reset are not new keys
        ldx     #7
@keys:  sta     KPREV,x
        dex
        bpl     @keys
        lda     #<SCREEN        ; a valid cursor before the first OUTCH
        sta     CUR
        lda     #>SCREEN
        sta     CUR+1
        lda     #CH_FF
        jsr     OUTCH
        ldx     #0
@msg:   lda     PROMPT,x
        beq     @ask
        jsr     OUTCH
        inx
        bne     @msg            ; always taken
@ask:   jsr     KEYIN
        and     #$DF
        cmp     #'M'
        beq     @mon
        cmp     #'C'
        beq     @cold
        cmp     #'W'
        bne     @ask
        jsr     ECHOLN
        jmp     BASWARM
@cold:  jsr     ECHOLN
        jmp     BASCOLD
@mon:   lda     #CH_FF
        jsr     OUTCH
        jmp     MONITOR

PROMPT: .byte   "C/W/M ?", 0

; ECHOLN: prints the character in A and starts a new line. Changes A.
ECHOLN: jsr     OUTCH
        jmp     NEWLN

; BRK: enters the monitor at the BRK instruction. (No interrupt is ever
; raised, so the IRQ vector is reached only by BRK.)
IRQ:    cld
        pla                     ; the flags
        pla
        sec
        sbc     #2              ; BRK pushes its address + 2
        sta     MADDR
        pla
        sbc     #0
        sta     MADDR+1
NMI:    jmp     MONITOR

; CTRLC ($FFF1): carry set when Ctrl and C are down, unless CCDISAB is
; non-zero; carry clear otherwise. One press of C is reported once: the key
; counts as taken, like a key read by KSCAN, so neither a second check nor
; the next keyboard read sees it again. Preserves A, X and Y.
CTRLC:  pha
        lda     CCDISAB
        bne     @no
        lda     #$FE            ; row 0: Ctrl is bit 6
        sta     KBD
        lda     KBD
        and     #$40
        bne     @no
        lda     #$FB            ; row 2: C is bit 6
        sta     KBD
        lda     KBD
        and     #$40
        bne     @up
        lda     KPREV+2
        and     #$40
        bne     @no             ; this press was reported already
        lda     KPREV+2
        ora     #$40
        sta     KPREV+2
        pla
        sec
        rts
@up:    lda     KPREV+2
        and     #$BF
        sta     KPREV+2
@no:    pla
        clc
        rts

; HEXVAL: carry clear and A = its value when A holds a hex digit (either
; case); otherwise carry set and A unchanged. Changes nothing else.
HEXVAL: cmp     #'0'
        bcc     @no
        cmp     #'9'+1
        bcc     @dec
        pha
        and     #$DF
        cmp     #'A'
        bcc     @notx
        cmp     #'F'+1
        bcs     @notx
        sbc     #'A'-10-1       ; carry is clear: subtracts one more
        sta     KTMP
        pla
        lda     KTMP
        clc
        rts
@notx:  pla
@no:    sec
        rts
@dec:   and     #$0F
        rts                     ; carry is clear

; NEWLN: starts a new line. Changes A.
NEWLN:  lda     #CH_CR
        jmp     OUTCH

; The monitor's messages, shown beside its row; ended by 0.
MSGS:
MSGBAD  = * - MSGS
        .byte   "?", 0
MSGTAPE = * - MSGS
        .byte   "NO TAPE", 0

; ================================= $FA00: screen driver and the rest of it

        .segment "CODE"

; OUTCH ($FFEE): writes the character in A at the cursor. Every code is a
; glyph of its own except four controls: Return $0D (the start of the next
; row), line feed $0A (ignored), backspace $08 (rubs out the cell before the
; cursor, back across rows to the start of the line, never further) and form
; feed $0C (clears the screen). A character in the last column moves the
; cursor to the next row; below the last row the screen scrolls up a row.
; While SAVEFLG is set the character goes to the cassette as well; if the
; interface cannot send it, SAVEFLG is cleared. Preserves A, X, Y and the
; flags.
OUTCH:  php
        cld
        sta     OCH
        stx     OSX
        sty     OSY
        ldx     SAVEFLG
        beq     @scr
        ldx     CASSTAT
        txa
        and     #$02
        beq     @nosave
        lda     OCH
        sta     CASDATA
        jmp     @scr
@nosave:
        lda     #0
        sta     SAVEFLG
@scr:   jsr     CURCHK
        ldy     #0
        lda     OCH
        cmp     #CH_CR+1
        bcs     @print
        cmp     #CH_CR
        beq     @cr
        cmp     #CH_LF
        beq     @done
        cmp     #CH_BS
        beq     @bs
        cmp     #CH_FF
        beq     @ff
@print: sta     (CUR),y
        sty     WRAPF
        inc     CUR
        bne     @col
        inc     CUR+1
@col:   lda     CUR
        and     #ROWLEN-1
        bne     @place
        inc     WRAPF           ; the row is full: on to the next
        lda     CUR+1
        cmp     #>SCREND
        bne     @place
        jsr     SCROLL
@place: jsr     CURON
@done:  lda     OCH
        ldx     OSX
        ldy     OSY
        plp
        rts

@cr:    jsr     CUROFF
        lda     WRAPF
        bne     @crx            ; already at the start of a fresh row
        lda     CUR
        ora     #ROWLEN-1
        sta     CUR
        inc     CUR
        bne     @crscr
        inc     CUR+1
@crscr: lda     CUR+1
        cmp     #>SCREND
        bne     @crx
        jsr     SCROLL
@crx:   lda     CUR
        sta     LINE
        lda     CUR+1
        sta     LINE+1
@new:   sty     WRAPF
        jmp     @place

@bs:    lda     CUR
        cmp     LINE
        bne     @bs1
        lda     CUR+1
        cmp     LINE+1
        beq     @done           ; at the start of the line
@bs1:   lda     CUR
        bne     @bs2
        lda     CUR+1
        cmp     #>SCREEN
        beq     @done           ; at the top left
@bs2:   jsr     CUROFF
        lda     CUR
        bne     @bs3
        dec     CUR+1
@bs3:   dec     CUR
        lda     #' '
        sta     (CUR),y
        jmp     @new

@ff:    lda     #' '
        ldx     #0
@fill:  sta     SCREEN,x
        sta     SCREEN+$100,x
        sta     SCREEN+$200,x
        sta     SCREEN+$300,x
        inx
        bne     @fill
        lda     #<SCREEN
        sta     CUR
        sta     LINE
        lda     #>SCREEN
        sta     CUR+1
        sta     LINE+1
        jmp     @new

; CURCHK: a program that used our zero page may have left the cursor
; anywhere; it must stay on the screen, so a cursor off it goes to the start
; of the last row. Changes A.
CURCHK: lda     CUR+1
        and     #$FC
        cmp     #>SCREEN
        beq     @ok
        lda     #<LASTROW
        sta     CUR
        sta     LINE
        lda     #>LASTROW
        sta     CUR+1
        sta     LINE+1
@ok:    rts

; CURON: draws the cursor at its cell, remembering what the cell held.
; Needs Y = 0; changes A.
CURON:  lda     (CUR),y
        sta     UNDER
        lda     #CURSOR
        sta     (CUR),y
        rts

; CUROFF: takes the cursor off its cell, giving back what the cell held,
; unless a program has written over the cursor meanwhile. Gives Y = 0;
; changes A.
CUROFF: ldy     #0
        lda     (CUR),y
        cmp     #CURSOR
        bne     @x
        lda     UNDER
        sta     (CUR),y
@x:     rts

; ROWHOME: blanks the cursor's row and puts the cursor at its start, which
; becomes the start of the line. Gives Y = 0; changes A.
ROWHOME:
        jsr     CURCHK
        jsr     CUROFF
        lda     CUR
        and     #$100-ROWLEN
        sta     CUR
        sta     LINE
        lda     CUR+1
        sta     LINE+1
        sty     WRAPF
        lda     #' '
        ldy     #ROWLEN-1
@blank: sta     (CUR),y
        dey
        bpl     @blank
        iny
        jmp     CURON

; SCROLL: moves rows 1..31 up by one row, blanks the last row and puts the
; cursor at its start; the start of the line moves up with its text (it
; stops at the top left when the line's first row has gone). The copy goes
; column by column with the 31 row moves written out, so a scroll costs
; about 2,150 instructions. Changes A and X; keeps Y.
SCROLL: ldx     #ROWLEN-1
@col:
        .repeat ROWLEN-1, R
        lda     SCREEN+(R+1)*ROWLEN,x
        sta     SCREEN+R*ROWLEN,x
        .endrepeat
        lda     #' '
        sta     LASTROW,x
        dex
        bmi     @moved
        jmp     @col
@moved: lda     #<LASTROW
        sta     CUR
        lda     #>LASTROW
        sta     CUR+1
        lda     LINE
        sec
        sbc     #ROWLEN
        sta     LINE
        bcs     @top
        dec     LINE+1
@top:   lda     LINE+1
        cmp     #>SCREEN
        bcs     @x
        lda     #<SCREEN
        sta     LINE
        lda     #>SCREEN
        sta     LINE+1
@x:     rts

; LOAD ($FFF4): input comes from the cassette from now on (INCH).
; Preserves A, X and Y.
LOAD:   pha
        lda     #1
        sta     LOADFLG
        pla
        rts

; SAVE ($FFF7): output goes to the cassette too from now on (OUTCH) and
; carry is clear; when the interface cannot send (status bit 1 clear) carry
; is set and nothing changes. Looks at the status once and never waits.
; Preserves A, X and Y.
SAVE:   pha
        lda     CASSTAT
        and     #$02
        beq     @no
        lda     #1
        sta     SAVEFLG
        pla
        clc
        rts
@no:    pla
        sec
        rts

; KEYIN: waits for a key from the keyboard; gives it in A and at LASTKEY.
; Changes X and Y.
;
; Before it returns it waits, reading only the key's row, until the key is
; up: the keyboard releases a typed key only when its row is selected, and
; the program that gets the key may run for long without reading the
; keyboard. The wait ends as soon as the row changes in any way (a new key
; in it is left for the next read), and after 256 reads at the most, so a
; key held down cannot stop it.
KEYIN:  jsr     KSCAN
        beq     KEYIN
        sta     LASTKEY
        pha
        lda     KFOUND
        lsr     a
        lsr     a
        lsr     a
        tax                     ; the key's row
        ldy     #0
@wait:  jsr     KROW
        cmp     KPREV,x
        bne     @done
        dey
        bne     @wait
@done:  pla
        rts

; The bit of each column (and, inverted, the select byte of each row).
BITS:   .byte   $01, $02, $04, $08, $10, $20, $40, $80

; The character of each matrix position, row by row, bit 0 first. Row 0
; holds only Escape (its other keys are modifiers). Row 6 bit 2 is the
; host's Delete key: it rubs out like Backspace.
KEYTAB: .byte   0,   0,   0,   0,   0,   CH_ESC, 0, 0
        .byte   0,   'P', ';', '/', ' ', 'Z', 'A', 'Q'
        .byte   0,   ',', 'M', 'N', 'B', 'V', 'C', 'X'
        .byte   0,   'K', 'J', 'H', 'G', 'F', 'D', 'S'
        .byte   0,   'I', 'U', 'Y', 'T', 'R', 'E', 'W'
        .byte   0,   0,   0,   CH_CR, 0, 'O', 'L', '.'
        .byte   0,   0,   CH_BS, '-', ':', '0', '9', '8'
        .byte   0,   '7', '6', '5', '4', '3', '2', '1'

; MGET: the monitor's next key: from the cassette while MLOAD is set (X = 1),
; else from the keyboard (X = 0). A key or the end of the tape ends the
; reading (the key is dropped) and clears LOADFLG too.
MGET:   lda     MLOAD
        beq     @key
        jsr     KSCAN
        bne     @stop
        lda     CASSTAT
        lsr     a
        bcc     @stop
        lda     CASDATA
        ldx     #1
        rts
@stop:  lda     #0
        sta     MLOAD
        sta     LOADFLG
@key:   jsr     KEYIN
        ldx     #0
        rts

; SHOWLN: rewrites the cursor's row as "AAAA DD" (or "AAAA/DD" in data
; mode), the cursor after it. Changes A, X, Y.
SHOWLN: jsr     ROWHOME
        lda     MADDR+1
        jsr     PRBYTE
        lda     MADDR
        jsr     PRBYTE
        lda     #' '
        ldx     MMODE
        beq     @sep
        lda     #'/'
@sep:   jsr     OUTCH
        ldy     #0
        lda     (MADDR),y
        jmp     PRBYTE

; ====================================================== entry points, vectors

        .segment "ENTRIES"

        jmp     INCH            ; $FFEB: read a character into A
        jmp     OUTCH           ; $FFEE: write the character in A
        jmp     CTRLC           ; $FFF1: check for Ctrl-C
        jmp     LOAD            ; $FFF4: input from the cassette
        jmp     SAVE            ; $FFF7: output to the cassette as well

        .segment "VECTORS"

        .addr   NMI             ; $FFFA
        .addr   RESET           ; $FFFC
        .addr   IRQ             ; $FFFE (BRK)
