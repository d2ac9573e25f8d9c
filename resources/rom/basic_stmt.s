; Tessaly BASIC: the statements. Each handler is entered with the character
; after its keyword read (CHRGOT) and NEWSTT as its return address.

; END stops quietly, STOP with "BREAK IN n"; CONT goes on after either.
END:    ldy     #0
        .byte   $2C
STOP:   ldy     #1
        pla
        pla
        tya
        ldx     #0
        jmp     STOPEND

; CONT: goes on where the program stopped (its record on top of the stack).
CONT:   pla
        pla
        pla
        cmp     #TK_CONT
        beq     @go
        jmp     CNERR
@go:    pla
        tax
        pla
        sta     LINEPTR
        pla
        sta     LINEPTR+1
        pla
        sta     TXTPTR
        pla
        sta     TXTPTR+1
        txa
        beq     @end
        jmp     EXECST
@end:   jmp     NEWSTT

; NEW: empties the program.
NEW:    jsr     SCRNEW
        ldx     #$FE
        txs
        jmp     READY

; CLEAR: clears the variables, strings and the FOR and GOSUB records.
CLEAR:  jsr     CLEARV
        ldx     #$FE
        txs
        jmp     NEWSTT

; RUN [n]: clears everything and runs the program from its start or line n.
RUN:    jsr     CLEARV
        ldx     #$FE
        txs
        jsr     CHRGOT
        cmp     #$01
        bne     @start
        jsr     GETTGT
        jmp     GOTGT
@start: lda     #<(TXTTAB-1)
        sta     TXTPTR
        lda     #>(TXTTAB-1)
        sta     TXTPTR+1
        jmp     NXTLIN

; REM: the rest of the line is skipped.
REM:    ldy     #0
        lda     (LINEPTR),y
        sec
        sbc     #1              ; onto the line's last byte (its 0)
        clc
        adc     LINEPTR
        sta     TXTPTR
        lda     LINEPTR+1
        adc     #0
        sta     TXTPTR+1
        rts

; DATA and the rest of DEF: skips to the end of the statement.
DATA:
STSKIP: ldy     #0
@loop:  lda     (TXTPTR),y
        beq     @end
        cmp     #':'
        beq     @end
        cmp     #'"'
        beq     @quote
        cmp     #$03
        bcs     @next
        jsr     SKIPY           ; a constant
        jmp     @loop
@quote: iny
        lda     (TXTPTR),y
        beq     @end
        cmp     #'"'
        bne     @quote
@next:  iny
        bne     @loop
@end:   tya
        ldx     #TXTPTR
        jmp     ADDZP

; Y is on a constant's marker in (TXTPTR): moves Y past the constant.
SKIPY:  iny
        iny
        iny
        iny
        iny
        sty     BTMP
        lda     (TXTPTR),y
        sec
        adc     BTMP
        tay
        rts

; TXTPTR is on a constant's marker: moves it onto the constant's last byte
; (a CHRGET then reads what follows). Changes A, Y.
SKIPCON:
        ldy     #5
        lda     (TXTPTR),y
        sec
        adc     #4
        adc     TXTPTR
        sta     TXTPTR
        bcc     @rts
        inc     TXTPTR+1
@rts:   rts

; A number 0..255 at the current character into A (and X).
GETBYT: jsr     FRMNUM
        jmp     FFIXU8

; Checks that the character at TXTPTR is A (or '(', ')', ',') and reads the
; next one; SNERR when it is not. Changes Y.
CHKOPN: lda     #'('
        .byte   $2C
CHKCLS: lda     #')'
        .byte   $2C
CHKCOM: lda     #','
SYNCHR: ldy     #0              ; (TXTPTR rests on the current character)
        cmp     (TXTPTR),y
        bne     @err
        jmp     CHRGET
@err:   jmp     SNERR

; Reads a line number (a constant) at the current character into LINNUM
; and reads on. Carry set, nothing read, when no number stands there.
GETLIN: jsr     CHRGOT
        cmp     #$01
        beq     @num
        sec
        rts
@num:   jsr     NUMCON
        jsr     FFIXU16
        sty     LINNUM
        sta     LINNUM+1
        cmp     #>64000
        bcc     @skip
        jmp     ULERR
@skip:  jsr     SKIPCON
        jsr     CHRGET
        clc
        rts

; Loads the constant at TXTPTR into FAC (TXTPTR unchanged).
NUMCON: lda     TXTPTR
        ldy     TXTPTR+1
        clc
        adc     #1
        bcc     @ld
        iny
@ld:    jmp     FLDFAC

; Reads the target of a GOTO at the current character: INDEX = the address
; of the byte before the line. Reads on past the number. ULERR when there
; is no such line, SNERR when no number stands there.
GETTGT: jsr     GETLIN
        bcc     @num
        jmp     SNERR
@num:   jsr     FNDLIN
        bcs     @dec
        jmp     ULERR
@dec:   lda     INDEX
        bne     @dec2
        dec     INDEX+1
@dec2:  dec     INDEX
        rts

; GOTO n
GOTO:   jsr     GETTGT
        pla
        pla
; Runs on from the line after INDEX (the byte before a line).
GOTGT:  jsr     SETTGT
        jmp     NXTLIN
; Makes INDEX (the byte before a line) the place to run on from.
SETTGT: lda     INDEX
        sta     TXTPTR
        clc
        adc     #1
        sta     LINEPTR
        lda     INDEX+1
        sta     TXTPTR+1
        adc     #0
        sta     LINEPTR+1
        rts

; GOSUB n: a record (TK_GOSUB, text pointer, line pointer) on the stack.
GOSUB:  jsr     GETTGT
        lda     TXTPTR
        sta     RETPT
        lda     TXTPTR+1
        sta     RETPT+1
GOSUB2: pla
        pla
        tsx
        cpx     #STKREC+5
        bcs     @room
        jmp     OMERR
@room:  lda     LINEPTR+1
        pha
        lda     LINEPTR
        pha
        lda     RETPT+1
        pha
        lda     RETPT
        pha
        lda     #TK_GOSUB
        pha
        jmp     GOTGT

; RETURN: back after the last GOSUB (FOR records above it are dropped).
RETURN: pla
        pla
        tsx
@scan:  lda     $0101,x
        cmp     #TK_GOSUB
        beq     @found
        cmp     #TK_FOR
        beq     @skip
        jmp     RGERR
@skip:  txa
        clc
        adc     #17
        tax
        bne     @scan
@found: jsr     POSX
        txa
        clc
        adc     #5
        tax
        txs
        jmp     NEWSTT

; TXTPTR and LINEPTR from the stack at $0102,x (a record's copy). Preserves X.
POSX:   lda     $0102,x
        sta     TXTPTR
        lda     $0103,x
        sta     TXTPTR+1
        lda     $0104,x
        sta     LINEPTR
        lda     $0105,x
        sta     LINEPTR+1
        rts

; ON x GOTO / GOSUB list
ON:     jsr     GETBYT
        sta     ONCNT
        jsr     CHRGOT
        sta     ONTOK
        cmp     #TK_GOTO
        beq     @next
        cmp     #TK_GOSUB
        bne     @sn
@next:  jsr     CHRGET          ; past the keyword or the comma
        cmp     #$01
        bne     @sn
        dec     ONCNT
        beq     @take
        jsr     SKIPCON
        jsr     CHRGET
        cmp     #','
        beq     @next
        rts                     ; no such entry: on with the next statement
@sn:    jmp     SNERR
@take:  lda     ONTOK
        cmp     #TK_GOSUB
        beq     @gosub
        jmp     GOTO
@gosub: jsr     GETTGT          ; the end of the statement is the return point
        jsr     STSKIP
        lda     TXTPTR
        sta     RETPT
        lda     TXTPTR+1
        sta     RETPT+1
        jmp     GOSUB2

; IF x THEN statements / line; IF x GOTO line. A false condition skips the
; rest of the line.
IF:     jsr     FRMNUM
        jsr     CHRGOT
        cmp     #TK_THEN
        beq     @ok
        cmp     #TK_GOTO
        beq     @ok
        jmp     SNERR
@ok:    ldx     FACEXP
        bne     @true
        jmp     REM
@true:
        jsr     CHRGET
        bcs     @stmt
        cmp     #0
        beq     @rts
        jmp     GOTO
@stmt:  tax                     ; (carry stays set)
        pla
        pla
        txa
        jmp     EXECCH
@rts:   rts

; FOR v = a TO b [STEP c]: a record of 17 bytes on the stack: +0 TK_FOR,
; +1 address of the value (2), +3 name (2), +5 step (4), +9 limit (4) (these
; built in FORREC), +13 text pointer after the FOR (2), +15 line pointer.
; A FOR of the same variable further down is dropped with all above it.
FOR:    jsr     PTRNAME
        cmp     #'('
        beq     @sn
        lda     VALTYP
        beq     @num
        jmp     TMERR
@sn:    jmp     SNERR
@num:   jsr     LOOKC
        ldx     #3              ; VARPNT and NAME1, NAME2
@var:   lda     VARPNT,x
        sta     FORREC+1,x
        dex
        bpl     @var
        lda     #'='
        jsr     SYNCHR
        jsr     FRMNUM
        ldx     FORREC+1
        ldy     FORREC+2
        jsr     FSTFAC
        lda     #TK_TO
        jsr     SYNCHR
        jsr     FRMNUM
        ldx     #<(FORREC+9)
        ldy     #0
        jsr     FSTFAC
        jsr     CHRGOT
        cmp     #TK_STEP
        bne     @one
        jsr     CHRGET
        jsr     FRMNUM
        jmp     @step
@one:   lda     #1
        jsr     FFLTU8
@step:  ldx     #<(FORREC+5)
        ldy     #0
        jsr     FSTFAC
        lda     #TK_FOR         ; (NEWSTT checks that the statement ends)
        sta     FORREC
        pla
        pla
        tsx
@scan:  lda     $0101,x
        cmp     #TK_FOR
        bne     @push
        txa
        clc
        adc     #17
        ldy     $0102,x
        cpy     FORREC+1
        bne     @skip
        ldy     $0103,x
        cpy     FORREC+2
        bne     @skip
        tax                     ; the same variable: drop it and all above
        txs
        bne     @push
@skip:  tax
        bne     @scan
@push:  tsx
        cpx     #STKREC+17
        bcs     @room
        jmp     OMERR
@room:  lda     LINEPTR+1
        pha
        lda     LINEPTR
        pha
        lda     TXTPTR+1
        pha
        lda     TXTPTR
        pha
        ldx     #12
@rec:   lda     FORREC,x
        pha
        dex
        bpl     @rec
        jmp     NEWSTT

; NEXT [v[,v...]]: adds the step; goes round again unless the limit is
; passed, else drops the record and goes on (with the next variable).
NEXT:   pla
        pla
@var:   lda     #0
        sta     NAME1
        jsr     CHRGOT
        bcc     @find
        cmp     #':'
        beq     @find
        jsr     PTRNAME
@find:  tsx
@scan:  lda     $0101,x
        cmp     #TK_FOR
        beq     @for
        jmp     NFERR
@for:   lda     NAME1
        beq     @found
        cmp     $0104,x
        bne     @skip
        lda     NAME2
        cmp     $0105,x
        beq     @found
@skip:  txa
        clc
        adc     #17
        tax
        bne     @scan
@found: txs
        stx     BTMP+3
        lda     $0102,x
        sta     VARPNT
        ldy     $0103,x
        sty     VARPNT+1
        jsr     FLDFAC
        lda     BTMP+3
        clc
        adc     #6
        ldy     #1
        jsr     FADDM
        ldx     VARPNT
        ldy     VARPNT+1
        jsr     FSTFAC
        lda     BTMP+3
        clc
        adc     #10
        ldy     #1
        jsr     FCMPM           ; sign of value - limit
        ldx     BTMP+3          ; past the limit in the step's direction?
        ldy     $0107,x         ; (the step's sign)
        bpl     @up
        eor     #$FE            ; a step down: -1 becomes 1, 1 becomes -1
@up:    cmp     #1
        beq     @done
@loop:  txa                     ; on from after the FOR
        clc
        adc     #12
        tax
        jsr     POSX
        dec     CCCNT
        bne     @go
        jsr     CHKBRK
@go:    jmp     NEWSTT
@done:  txa
        clc
        adc     #17
        tax
        txs
        jsr     CHRGOT
        cmp     #','
        bne     @go
        jsr     CHRGET
        jmp     @var

; LET v = x (LET may be left out)
LET:    cmp     #':'            ; an empty statement
        bne     @let
        pla
        pla
        jmp     NEWSTT
@let:   jsr     PTRGETC
        lda     VARPNT
        pha
        lda     VARPNT+1
        pha
        lda     VALTYP
        pha
        lda     #'='
        jsr     SYNCHR
        jsr     FRMEVL
        pla
        cmp     VALTYP
        beq     @same
        jmp     TMERR
@same:  pla
        sta     VARPNT+1
        pla
        sta     VARPNT
        lda     VALTYP
        bne     @str
        ldx     VARPNT
        ldy     VARPNT+1
        jmp     FSTFAC
@str:   jmp     STRASG

; RESTORE: READ starts again at the first DATA.
RESTORE = RESTOR

; DIM v(n[,m...])[,...]
DIM:    ldx     #$80
        stx     DIMFLG
        jsr     PTRNAME
        cmp     #'('
        beq     @ary
        jmp     SNERR
@ary:   jsr     ARRAY
        lda     #0
        sta     DIMFLG
        jsr     CHRGOT
        cmp     #','
        bne     @rts
        jsr     CHRGET
        jmp     DIM
@rts:   rts

; POKE a, b
POKE:   jsr     ADRBYT
        ldy     #0
        sta     (PKADR),y
        rts

; WAIT a, m [, x]: waits until (PEEK(a) XOR x) AND m is not 0. Ctrl-C
; breaks it.
WAIT:   jsr     ADRBYT
        sta     PKMASK
        ldx     #0
        jsr     CHRGOT
        cmp     #','
        bne     @go
        jsr     CHRGET
        jsr     GETBYT
@go:    stx     PKXOR
        ldy     #0
@wait:  lda     (PKADR),y
        eor     PKXOR
        and     PKMASK
        bne     @rts
        jsr     ROM_CTRLC
        bcc     @wait
        jmp     STMTBRK
@rts:   rts

; An address, ',' and a byte: PKADR and A (as GETADR and GETBYT).
ADRBYT: jsr     FRMNUM
        jsr     GETADR
        sty     PKADR
        sta     PKADR+1
        jsr     CHKCOM
        jmp     GETBYT

; (In the System ROM's spare space: see basic.cfg.)
        .segment "HICODE"

; NULL n: accepted for the programs of the period; no effect here.
NULL:   jmp     FRMNUM

; LOAD: input comes from the cassette from now on; its lines are taken as
; if typed, until the tape ends or a key is pressed.
LOAD:   jsr     ROM_LOAD
        pla
        pla
        jmp     MAIN

        .segment "CODE"

; SAVE: lists the program to the cassette, or says that it cannot.
SAVE:   jsr     ROM_SAVE
        bcc     @save
        jsr     CRIFNEED
        lda     #NOSAVE-MSGS
        jmp     PRTMSG
@save:
        lda     #$FF
        sta     LSTHI
        sta     LSTHI+1
        lda     #<TXTTAB
        sta     INDEX
        lda     #>TXTTAB
        sta     INDEX+1
        jsr     LISTFROM
        lda     #0
        sta     SAVEFLG
        rts

; DEF FNx(v) = expression: the function's entry holds the address of its
; '=' and the address of the parameter's value.
DEF:    jsr     DIRCHK
        lda     #TK_FN
        jsr     SYNCHR
        jsr     FNNAME
        jsr     LOOKC
        lda     VARPNT
        sta     FNENT
        lda     VARPNT+1
        sta     FNENT+1
        jsr     CHKOPN
        jsr     PTRNAME
        cmp     #'('
        beq     @err
        lda     VALTYP
        bne     @err
        jsr     LOOKC
        jsr     CHKCLS
        cmp     #'='
        bne     @err
        ldy     #0
        lda     TXTPTR
        sta     (FNENT),y
        iny
        lda     TXTPTR+1
        sta     (FNENT),y
        iny
        lda     VARPNT
        sta     (FNENT),y
        iny
        lda     VARPNT+1
        sta     (FNENT),y
        jmp     STSKIP
@err:   jmp     SNERR

; Reads the name after FN: NAME1 (with bit 7) and NAME2. A string name is
; a syntax error.
FNNAME: jsr     PTRNAME
        lda     VALTYP
        bne     @err
        lda     NAME1
        ora     #$80
        sta     NAME1
        rts
@err:   jmp     SNERR

; PRINT list: ';' joins, ',' moves to the next zone of ZONE columns (a
; power of two), TAB(n)
; to column n, SPC(n) prints n blanks; a new row at the end unless the list
; ends in ';' or ','.
PRINT:  jsr     CHRGOT
@item:  cmp     #0
        beq     @cr
        cmp     #':'
        bne     @more
@cr:    jmp     CRDO
@more:  cmp     #';'
        beq     @next
        cmp     #','
        beq     @comma
        cmp     #TK_TAB
        beq     @tab
        cmp     #TK_SPC
        beq     @tab
        jsr     FRMEVL
        lda     VALTYP
        bne     @str
        jsr     FOUT
        jsr     PRTZ
        lda     #' '
        jsr     OUTCH
        jmp     @after
@str:   jsr     FRETMP
        jsr     PRTSTR
@after: jsr     CHRGOT
        jmp     @item
@comma: lda     #' '            ; blanks to the next zone (past the last:
        jsr     OUTCH           ; the next row, as the screen wraps)
        lda     TERMX
        and     #ZONE-1
        bne     @comma
@next:  jsr     CHRGET          ; past ';' or ','
        cmp     #0
        beq     @rts
        cmp     #':'
        beq     @rts
        bne     @more
@tab:   pha
        jsr     CHRGET
        jsr     GETBYT
        sta     BTMP
        jsr     CHKCLS
        pla
        cmp     #TK_SPC
        beq     @spc
        lda     BTMP             ; TAB: blanks up to column n
        sec
        sbc     TERMX
        bcc     @after
        sta     BTMP
@spc:   ldx     BTMP
        beq     @after
@blank: lda     #' '
        jsr     OUTCH
        dex
        bne     @blank
        beq     @after
@rts:   rts

; Prints TLEN characters from (INDEX).
PRTSTR: ldy     #0
        ldx     TLEN
        beq     @rts
@loop:  lda     (INDEX),y
        jsr     OUTCH
        iny
        dex
        bne     @loop
@rts:   rts

; INPUT ["prompt";] v[,v...]: shows the prompt and "? ", reads a line and
; gives its comma-separated fields to the variables (fields left over are
; ignored). After "?REDO FROM START" (a field missing, or a number that is
; not one) the statement runs again from its start, prompt and all.
; Ctrl-C breaks; CONT asks again.
INPUT:
        jsr     DIRCHK
        lda     TXTPTR
        sta     INVARS
        lda     TXTPTR+1
        sta     INVARS+1
        jsr     CHRGOT
        cmp     #'"'
        bne     @ask
        jsr     FRMEVL
        jsr     FRETMP
        jsr     PRTSTR
        lda     #';'
        jsr     SYNCHR
@ask:   lda     #QMSG-MSGS
        jsr     INREAD
@var:   jsr     PTRGETC
        lda     #<BUF
        sta     INDEX
        lda     #>BUF
        sta     INDEX+1
        ldy     INBUFP
        jsr     SKIPBL
        beq     @redo           ; no field for this variable
        lda     #0              ; (':' does not end a field here)
        sta     BTMP+2
        jsr     ASGFLD
        bcs     @redo
        beq     @last
        iny                     ; past the comma
@last:  sty     INBUFP
        jsr     CHRGOT
        cmp     #','
        bne     @end
        jsr     CHRGET
        jmp     @var
@end:   rts
@redo:  lda     INVARS
        sta     TXTPTR
        lda     INVARS+1
        sta     TXTPTR+1
        lda     #REDO-MSGS
        jsr     PRTMSG
        jmp     INPUT

; Prints message A (PRTMSG), reads a line into BUF (Ctrl-C breaks), and
; starts taking fields at its first character.
INREAD: jsr     PRTMSG
        inc     INFLAG
        jsr     INLINE
        lda     #0
        sta     INFLAG
        sta     INBUFP
        rts

; Skips blanks at (INDEX),Y. Gives A = the character there, Z set at the
; end of the line.
SKIPBL: lda     (INDEX),y
        cmp     #' '
        bne     @done
        iny
        bne     SKIPBL
@done:  cmp     #0
        rts

; IDERR unless a program line is running.
DIRCHK: jsr     ISDIR
        beq     @err
        rts
@err:   jmp     IDERR

; Gives the field at (INDEX),Y to the variable VARPNT (of type VALTYP): a
; number, or a string (FIELD). The field must end at ',', the end of the
; line, or at ':' when BTMP+2 is ':'. Gives A = that character (Z set at
; the end of the line) and Y = its offset; carry set when the field is not
; a value of the variable's type.
ASGFLD: lda     VALTYP
        bne     @str
        tya
        clc
        adc     INDEX
        sta     FPPTR
        lda     INDEX+1
        adc     #0
        sta     FPPTR+1
        jsr     FIN
        bcs     @rts
        lda     FPPTR
        sec
        sbc     INDEX
        tay
        jsr     @term
        bcs     @rts
        ldx     VARPNT
        ldy     VARPNT+1
        jsr     FSTFAC
        jmp     @done
@str:   jsr     FIELD
        txa
        tay
        jsr     @term
        bcs     @rts
        jsr     STRASG
@done:  ldy     FLDEND
        lda     FLDCH
        clc
@rts:   rts
@term:  jsr     SKIPBL
        sty     FLDEND
        sta     FLDCH
        beq     @ok
        cmp     #','
        beq     @ok
        cmp     BTMP+2
        beq     @ok
        sec
        rts
@ok:    clc
        rts

; Takes a string field from (INDEX),Y, after blanks: quoted (up to the
; closing quote) or bare (up to a ',', the end of the line, or a ':' when
; BTMP+2 holds ':'). Builds its descriptor at DSCTMP and sets DSCPTR to it.
; Gives X = the offset after the field from INDEX (past a closing quote).
FIELD:  jsr     SKIPBL
        ldx     #0              ; X: 1 while in quotes
        cmp     #'"'
        bne     @start
        inx
        iny
@start: sty     BTMP+1
        dey
@next:  iny
        lda     (INDEX),y
        beq     @end
        dex
        bmi     @bare
        inx
        cmp     #'"'
        bne     @next
        tya                     ; past the closing quote
        tax
        inx
        bne     @len
@bare:  inx
        cmp     #','
        beq     @end
        cmp     BTMP+2
        bne     @next
@end:   tya
        tax
@len:   tya
        sec
        sbc     BTMP+1
        sta     DSCTMP
        lda     BTMP+1
        clc
        adc     INDEX
        sta     DSCTMP+1
        lda     INDEX+1
        adc     #0
        sta     DSCTMP+2
        lda     #<DSCTMP
        sta     DSCPTR
        lda     #0
        sta     DSCPTR+1
        rts

; READ v[,v...]: takes the next DATA item for each variable. A bad item is
; a syntax error reported in the DATA line.
READ:
@var:   jsr     PTRGETC
        lda     TXTPTR+1        ; (DATNXT moves TXTPTR)
        pha
        lda     TXTPTR
        pha
        jsr     DATNXT
        pla
        sta     TXTPTR
        pla
        sta     TXTPTR+1
        lda     DATPTR
        sta     INDEX
        lda     DATPTR+1
        sta     INDEX+1
        lda     #':'
        sta     BTMP+2
        ldy     #1
        jsr     ASGFLD
        bcs     @bad
        tya                     ; DATPTR onto the character after the item
        ldx     #DATPTR
        jsr     ADDZP
        jsr     CHRGOT
        cmp     #','
        bne     @rts
        jsr     CHRGET
        jmp     @var
@bad:   lda     DATLP           ; the error is the DATA line's
        sta     LINEPTR
        lda     DATLP+1
        sta     LINEPTR+1
        jmp     SNERR
@rts:   rts

; Moves DATPTR onto the ',' or DATA before the next DATA item (DATLP: its
; line). ODERR when no DATA is left. Changes TXTPTR.
DATNXT: ldy     #0
        lda     (DATPTR),y
        cmp     #','
        beq     @rts
        lda     DATPTR
        sta     TXTPTR
        lda     DATPTR+1
        sta     TXTPTR+1
@stmt:  jsr     STSKIP          ; to the statement's end
        ldy     #0
        lda     (TXTPTR),y
        bne     @next           ; a ':'
        iny                     ; the end of a line: the next one
        lda     (TXTPTR),y
        beq     @out
        lda     TXTPTR
        clc
        adc     #1
        sta     DATLP
        lda     TXTPTR+1
        adc     #0
        sta     DATLP+1
        lda     #3
        ldx     #TXTPTR
        jsr     ADDZP
@next:  jsr     CHRGET
        cmp     #TK_DATA
        bne     @stmt
        lda     TXTPTR
        sta     DATPTR
        lda     TXTPTR+1
        sta     DATPTR+1
@rts:   rts
@out:   jmp     ODERR
