; Tessaly System ROM (0xFB97..0xFFFF of the 2 KB at 0xF800).
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
; RAM: zero page $E0..$FC holds all of the firmware's own state, so that a
; tape that loads into page 2 cannot upset the screen, the keyboard or the
; monitor while it loads. Of page 2 only the four flags that programs poke
; and peek are used (c1p.inc).
;
; Layout: each page that holds a fixed entry point is filled from that entry
; on: $FD00 keyboard and cassette input, $FE00 the monitor, $FF00 reset, BRK,
; the Ctrl-C check, LOAD and SAVE; small helpers fill the pages' tails. The
; rest (most of the screen driver, the key table) ends at $FCFF, and all
; below it, $F800..$FB96, is left free for BASIC (system.cfg).

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
KROWN:  .res    1       ; KSCAN: the row of the key it found last
KTMP:   .res    1
MADDR:  .res    2       ; monitor: the address shown
MMODE:  .res    1       ; monitor: 0 address mode, 1 data mode
MDIG:   .res    1       ; monitor: a hex digit came since the last Return
MLOAD:  .res    1       ; monitor: non-zero while it reads the cassette
MSRC:   .res    1       ; monitor: non-zero when the key came from the tape
SRC:    .res    2       ; SCROLL: the row being moved up

; ============================================= $FD00: keyboard and cassette

        .segment "PAGEFD"

; KEYGET ($FD00): waits for a key from the keyboard (never the cassette).
; Gives the key in A and at LASTKEY; preserves X and Y.
KEYGET: clc
        bcc     INPUT           ; always taken

; INCH ($FFEB): reads one character into A, waiting for it, without echo.
; While LOADFLG is set the character is the next byte of the cassette; when
; the tape has ended, or a key goes down (the key is dropped: it only stops
; the tape), LOADFLG is cleared and input comes from the keyboard again.
; Preserves X and Y.
INCH:   lda     LOADFLG
        cmp     #1              ; carry set: from the cassette
INPUT:  stx     ISX
        sty     ISY
        jsr     GETCH
        ldx     ISX
        ldy     ISY
        rts

; GETCH: with carry clear, waits for a key (KEYIN) and gives X = 0. With
; carry set, gives the next byte of the cassette and X = 1; but when the
; tape has ended or a key goes down (the key is dropped: it only stops the
; tape), it clears LOADFLG and MLOAD and waits for a key instead. Gives the
; character in A; changes Y.
GETCH:  bcc     @key
        jsr     KSCAN
        bne     @stop
        lda     CASSTAT
        lsr     a
        bcc     @stop           ; nothing waiting: the end of the tape
        lda     CASDATA
        ldx     #1
        rts
@stop:  lda     #0
        sta     LOADFLG
        sta     MLOAD
@key:   jsr     KEYIN
        ldx     #0
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
        ldx     KROWN           ; the key's row
        ldy     #0
@wait:  jsr     KROW
        cmp     KPREV,x
        bne     @done
        dey
        bne     @wait
@done:  pla
        rts

; KSCAN: one pass over the keyboard matrix, rows 7 down to 0, leaving row 0
; selected. Gives in A the character of a key that has gone down since it
; was last taken (Z clear), or 0 (Z set) when there is none. Changes X, Y.
;
; A typed key stays down only for a few selections of its row before the
; keyboard releases it, so a key counts on the pass that first sees it down;
; KPREV remembers it until a pass sees it up, and only then can it count
; again. One new key is taken per pass, and the pass ends with it: another
; key that went down at the same time, in its row or in a row the pass did
; not reach, is still new on the next pass. Shift, Ctrl and shift lock are
; read from row 0 after the key's own row in the same pass, so that they are
; the ones that came with the key. They count as keys of their own too, at
; empty positions of the key table: a pass that finds one of them new gives
; no character.
;
; A row whose keys differ from the ones taken is read a second time before
; anything counts: the keyboard's bytes are refreshed whenever a host key
; arrives, and a read that meets such a refresh can return another row's
; keys. Such a read would count a key that is not there or take a held key
; for released; the second read comes after the refresh and is the row's
; own. Rows that have not changed, the common case, are read once.
;
; The character: Ctrl with a letter gives its control code. Shift follows
; the keys' legends: with , - . / it gives < = > ?, with 1..9 : ; it gives
; ! .. ) * +, with K L M N P it gives [ \ ] ^ @ (all of these flip bit 4
; of the code), and with O it rubs out (backspace); other letters come in
; upper case with Shift or while shift lock is down, else in lower case.
KSCAN:  ldx     #7
@row:   jsr     KROW
        cmp     KPREV,x
        beq     @keys
        jsr     KROW            ; changed: read again
@keys:  sta     KTMP
        and     KPREV,x         ; a key seen up is no longer taken
        sta     KPREV,x
        eor     KTMP            ; down and not taken: new
        bne     @new
        dex
        bpl     @row
        inx                     ; no new key: gives 0
@ret:   txa                     ; the key as it is (Z clear but for 0)
        rts
@new:   ldy     #$FF
@bit:   iny
        lsr     a
        bcc     @bit            ; Y = the lowest new key's bit
        lda     BITS,y
        ora     KPREV,x
        sta     KPREV,x         ; taken
        stx     KROWN
        sty     KTMP
        txa
        asl     a
        asl     a
        asl     a
        ora     KTMP
        tay                     ; row * 8 + bit
        ldx     #0              ; row 0 once more, selected afresh for the
        jsr     KROW            ; same reason as the second reads
        ldx     KEYTAB,y        ; the key's character
        beq     @ret            ; an empty position or a modifier
        lda     KBD             ; row 0, active low: bit 0 shift lock,
                                ; bits 1 and 2 Shift, bit 6 Ctrl
        cpx     #'A'            ; letters are the table's only codes from
        bcc     @sym            ; 'A' up
        asl     a               ; a letter; N: Ctrl is up
        bmi     @noctl
        txa
        and     #$1F            ; Ctrl with a letter: its control code
        rts
@noctl: lsr     a
        lsr     a               ; carry: shift lock is up
        and     #$03
        eor     #$03            ; non-zero: a Shift key is down
        bne     @letsh
        txa
        bcc     @x              ; shift lock down: upper case
        ora     #$20            ; lower case
@x:     rts
@sym:   and     #$06
        eor     #$06
        beq     @ret            ; no Shift
        cpx     #'0'
        beq     @ret
        cpx     #','
        bcs     @flip           ; , - . / 1..9 : ;
        bcc     @ret            ; always taken
@letsh: cpx     #'O'
        beq     @bs
        cpx     #'K'
        bcc     @ret
        cpx     #'P'+1
        bcs     @ret
@flip:  txa
        eor     #$10
        rts
@bs:    lda     #CH_BS
        rts

; KROW: selects row X of the keyboard; gives in A its keys that are down as
; 1 bits. Changes A.
KROW:   lda     BITS,x
        eor     #$FF
        sta     KBD
        lda     KBD
        eor     #$FF
        rts

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
        inx
        stx     MMODE
        stx     MDIG
        lda     LOADFLG
        sta     MLOAD
        lda     CUR
        and     #ROWLEN-1
        beq     MLOOP           ; the cursor is at the start of a row
        jsr     NEWLN
MLOOP:  jsr     SHOWLN
MKEY:   lda     MLOAD
        cmp     #1              ; carry set: from the tape
        jsr     GETCH
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
        bcs     MDIGIT
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
        jsr     @run            ; a program's RTS comes back here
        jmp     MONITOR
@run:   jmp     (MADDR)

; Unknown keys: "?" beside the row from the keyboard; nothing from the tape.
MBAD:   lda     MSRC
        bne     MKEY
        ldx     #MSGBAD
        bne     MSHOW           ; always taken

; L: reads the cassette, unless nothing is waiting on it.
MLD:    lda     CASSTAT
        lsr     a
        bcs     @tape
        ldx     #MSGTAPE
        bne     MSHOW           ; always taken
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
MDIGIT: ldx     #4
        stx     MDIG            ; non-zero: a digit came
        asl     a
        asl     a
        asl     a
        asl     a               ; the digit in the high four bits
        ldy     MMODE
        beq     @addr
        dey                     ; Y = 0 (MMODE is 1)
        sta     KTMP
        lda     (MADDR),y
@byte:  asl     KTMP
        rol     a
        dex
        bne     @byte
        sta     (MADDR),y
        beq     @done           ; always taken: Z still from DEX
@addr:  asl     a
        rol     MADDR
        rol     MADDR+1
        dex
        bne     @addr
@done:  jmp     MLOOP

; Rewrites the row and prints the message at MSGS+X beside it.
MSHOW:  stx     KTMP
        jsr     SHOWLN
        ldx     KTMP
        jsr     PRSTR
        jmp     MKEY

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

        .segment "PAGEFD"       ; (the monitor's page is full)

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
; boot prompt on a clear screen. C cold-starts BASIC, W warm-starts it
; (keeping its program), M enters the monitor; either case. Other keys are
; ignored. The cursor needs no setting up: OUTCH moves one that is off the
; screen onto it, and the prompt starts with a clear screen.
RESET:  cld
        sei
        ldx     #$FF
        txs
        txa                     ; keys down at reset are not new keys
        ldx     #7
@keys:  sta     KPREV,x
        dex
        bpl     @keys
        inx
        stx     LOADFLG
        stx     SAVEFLG
        stx     CCDISAB
        stx     LASTKEY
        stx     MADDR
        stx     MADDR+1
        jsr     PRSTR           ; X = 0: MSGPROMPT, which clears the screen
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

; ECHOLN: prints the character in A and starts a new line. Changes A.
ECHOLN: jsr     OUTCH
                                ; falls through into NEWLN

; NEWLN: starts a new line. Changes A.
NEWLN:  lda     #CH_CR
        jmp     OUTCH

; PRSTR: prints the message at MSGS+X, ended by 0. Changes A and X.
PRSTR:  lda     MSGS,x
        beq     @x
        jsr     OUTCH
        inx
        bne     PRSTR           ; always taken
@x:     rts

; The messages: the boot prompt and the monitor's, shown beside its row.
MSGS:
MSGPROMPT = * - MSGS
        .byte   CH_FF, "C/W/M ?", 0
MSGBAD  = * - MSGS
        .byte   " ?", 0
MSGTAPE = * - MSGS
        .byte   " NO TAPE", 0
        .assert MSGPROMPT = 0, error, "RESET counts on the prompt coming first"

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
        lda     #$FE            ; row 0: Ctrl is bit 6 (0 when down)
        sta     KBD
        bit     KBD
        bvs     @no
        lda     #$FB            ; row 2: C is bit 6
        sta     KBD
        lda     KPREV+2
        bit     KBD
        bvc     @down
        and     #$BF            ; C is up: no longer taken
        sta     KPREV+2
@no:    pla
        clc
        rts
@down:  ora     #$40
        cmp     KPREV+2
        beq     @no             ; this press was reported already
        sta     KPREV+2         ; taken
        pla
        sec
        rts

; HEXVAL: carry set and A = its value when A holds a hex digit (either
; case); otherwise carry clear and A unchanged. Changes Y.
HEXVAL: cmp     #'0'
        bcc     @x              ; below '0' (controls $10..$19 included)
        tay
        ora     #$20            ; letters in lower case; digits unchanged
        eor     #'0'            ; '0'..'9' give 0..9
        cmp     #10
        bcc     @dec
        adc     #$FA-('a' .bitxor '0')-1 ; carry is set: 'a'..'f' give
                                ; $FA..$FF
        cmp     #$FA
        bcc     @no
        and     #$0F
        rts                     ; carry is set
@dec:   sec
        rts
@no:    tya
@x:     rts                     ; carry is clear

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
        lsr     a               ; 1, and carry clear
        sta     SAVEFLG
        pla
        rts
@no:    pla
        sec
        rts

; ================================= $FB00: screen driver and the rest of it

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
        lda     CASSTAT
        and     #$02
        bne     @send
        sta     SAVEFLG         ; cannot send: the screen only
        beq     @scr            ; always taken
@send:  lda     OCH
        sta     CASDATA
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
        jsr     ADVANCE
        bne     @place
        inc     WRAPF           ; the row is full: on to the next
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
        jsr     ADVANCE
@crx:   ldx     CUR
        lda     CUR+1
        jsr     SETPOS
        beq     @place          ; always taken

@bs:    jsr     CUROFF
        ldx     CUR
        cpx     LINE
        bne     @bs1
        lda     CUR+1
        cmp     LINE+1
        beq     @place          ; at the start of the line
@bs1:   txa
        bne     @bs2
        lda     CUR+1
        cmp     #>SCREEN
        beq     @place          ; at the top left
        dec     CUR+1
@bs2:   dec     CUR
        sty     WRAPF
        lda     #' '
        sta     (CUR),y
        bpl     @place          ; always taken: N is clear

@ff:    lda     #' '
        ldx     #0
@fill:  sta     SCREEN,x
        sta     SCREEN+$100,x
        sta     SCREEN+$200,x
        sta     SCREEN+$300,x
        inx
        bne     @fill
        lda     #>SCREEN        ; X = <SCREEN
        jsr     SETPOS
        beq     @place          ; always taken

; ADVANCE: moves the cursor on by one cell; past the last cell the screen
; scrolls and the cursor goes to the start of the last row. Gives Z set when
; the cursor is at the start of a row. Needs Y = 0; changes A and X.
ADVANCE:
        inc     CUR
        bne     @col            ; the screen ends at a page's end
        inc     CUR+1
        lda     CUR+1
        cmp     #>SCREND
        bne     @col
        jsr     SCROLL
@col:   lda     CUR
        and     #ROWLEN-1
        rts

        .segment "PAGEFD"       ; (filling the keyboard page)

; SETPOS: puts the cursor and the start of the line at X (low) and A (high),
; with no row filled. Gives Y = 0 and Z set.
SETPOS: stx     CUR
        stx     LINE
        sta     CUR+1
        sta     LINE+1
        ldy     #0
        sty     WRAPF
        rts

        .segment "CODE"

; CURCHK: a program that used our zero page may have left the cursor
; anywhere; it must stay on the screen, so a cursor off it goes to the start
; of the last row. Changes A, X and Y.
CURCHK: lda     CUR+1
        and     #$FC
        cmp     #>SCREEN
        beq     @ok
        ldx     #<LASTROW
        lda     #>LASTROW
        jmp     SETPOS
@ok:    rts

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
; becomes the start of the line. Gives Y = 0; changes A and X.
ROWHOME:
        jsr     CURCHK
        jsr     CUROFF
        lda     CUR
        and     #$100-ROWLEN
        tax
        lda     CUR+1
        jsr     SETPOS
        jsr     BLANKROW
                                ; falls through into CURON

; CURON: draws the cursor at its cell, remembering what the cell held.
; Needs Y = 0; changes A.
CURON:  lda     (CUR),y
        sta     UNDER
        lda     #CURSOR
        sta     (CUR),y
        rts

        .segment "PAGEFE"       ; (filling the monitor's page)

; BLANKROW: blanks the 32 cells from the cursor on. Gives Y = 0; changes A.
BLANKROW:
        lda     #' '
        ldy     #ROWLEN-1
@blank: sta     (CUR),y
        dey
        bpl     @blank
        iny
        rts

        .segment "CODE"

; SCROLL: moves rows 1..31 up by one row, blanks the last row and puts the
; cursor at its start; the start of the line moves up with its text (it
; stays in the top row once the line's first row has gone). The copy runs a
; page of the source at a time through two pointers, with the cursor as the
; target pointer: it starts a row before the screen, so that the first page
; copies from its second row on, and ends at the last row. A scroll costs
; about 4,100 instructions. Needs Y = 0; changes A and X.
SCROLL: lda     #<(SCREEN-ROWLEN)
        sta     CUR
        lda     #>(SCREEN-ROWLEN)
        sta     CUR+1
        sty     SRC
        lda     #>SCREEN
        sta     SRC+1
        ldy     #ROWLEN
@copy:  lda     (SRC),y
        sta     (CUR),y
        iny
        bne     @copy
        inc     CUR+1
        inc     SRC+1
        ldx     SRC+1
        cpx     #>SCREND
        bne     @copy
        jsr     BLANKROW        ; the cursor is at the last row; keeps carry
        lda     LINE
        sbc     #ROWLEN         ; carry is set (CPX above)
        tax
        lda     LINE+1
        sbc     #0
        cmp     #>SCREEN
        bcc     @x              ; the line's first row has gone: it stays
        stx     LINE
        sta     LINE+1
@x:     rts

        .segment "PAGEFF"       ; (filling the reset page)

; The bit of each column (and, inverted, the select byte of each row).
BITS:   .byte   $01, $02, $04, $08, $10, $20, $40, $80

        .segment "CODE"

; The character of each matrix position, row by row, bit 0 first; 0 for an
; empty position and for the modifiers of row 0 (shift lock, the Shift keys,
; Ctrl), which give no character. Row 6 bit 2 is the host's Delete key: it
; rubs out like Backspace. No code here is above 'Z'.
KEYTAB: .byte   0,   0,   0,   0,   0,   CH_ESC, 0, 0
        .byte   0,   'P', ';', '/', ' ', 'Z', 'A', 'Q'
        .byte   0,   ',', 'M', 'N', 'B', 'V', 'C', 'X'
        .byte   0,   'K', 'J', 'H', 'G', 'F', 'D', 'S'
        .byte   0,   'I', 'U', 'Y', 'T', 'R', 'E', 'W'
        .byte   0,   0,   0,   CH_CR, 0, 'O', 'L', '.'
        .byte   0,   0,   CH_BS, '-', ':', '0', '9', '8'
        .byte   0,   '7', '6', '5', '4', '3', '2', '1'

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
