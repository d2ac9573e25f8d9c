; Tessaly BASIC: tokenising, storing and listing program lines.

; Tokenises the line in BUF from index X into CRBUF from offset 3 and sets
; CRBUF's length byte (the text and its 0, plus 3). Keywords become tokens
; wherever they stand outside strings, REM and DATA, blanks or not; '?' is
; PRINT; lower case is folded to upper case there. A number gets its binary
; value beside its text. LLERR when the result would not fit.
CRUNCH: stx     CRX
        ldy     #3
        sty     CRY
        lda     #0
        sta     CRMODE
        sta     INNAME
@loop:  ldx     CRX
        lda     BUF,x
        beq     @end
        cmp     #'"'
        bne     @mode
@str:   jsr     CRCOPY          ; a string: copied as it is
        ldx     CRX
        lda     BUF,x
        beq     @loop
        cmp     #'"'
        bne     @str
@mode:  ldy     CRMODE
        beq     @normal
        cpy     #TK_DATA
        bne     @raw            ; REM: the rest as it is
        cmp     #':'            ; DATA: as it is up to the statement's end
        bne     @raw
        lda     #0
        sta     CRMODE
@raw:   jsr     CRCOPY
        jmp     @loop
@end:   jsr     CREMIT
        ldy     CRY
        sty     CRBUF
        rts
@normal:
        cmp     #' '
        beq     @raw            ; blanks change nothing else
        jsr     UPPER
        cmp     #'?'
        bne     @notq
        inc     CRX
        lda     #TK_PRINT
        bne     @token
@notq:  cmp     #'.'
        beq     @number
        cmp     #'0'
        bcc     @other
        cmp     #'9'+1
        bcs     @letter
        ldy     INNAME          ; a digit inside a name belongs to it
        bne     @plain
@number:
        jsr     CRNUM
        jmp     @loop
@letter:
        jsr     ISALNUM         ; (not a digit here: a letter?)
        bcc     @other
        jsr     KWMATCH
        bcc     @name
        stx     CRX             ; a keyword
@token: ldy     #0
        sty     INNAME
        cmp     #TK_REM
        beq     @setm
        cmp     #TK_DATA
        bne     @emtok
@setm:  sta     CRMODE
@emtok: jsr     CREMIT
        jmp     @loop
@name:  ldx     CRX             ; a letter of a name
        lda     BUF,x
        jsr     UPPER
        ldy     #1
        .byte   $2C
@other: ldy     #0
        sty     INNAME
@plain: jsr     CREMIT
        inc     CRX
        jmp     @loop

; Copies BUF,CRX to the output and moves CRX on.
CRCOPY: ldx     CRX
        lda     BUF,x
        inc     CRX
; Puts A at CRY and moves on. LLERR when the line is full. Preserves A, X.
CREMIT: ldy     CRY
        cpy     #CRMAX+1
        bcs     CRLONG
        sta     CRBUF,y
        inc     CRY
        rts
CRLONG: jmp     LLERR

; Upper case of A. Changes only A.
UPPER:  cmp     #'a'
        bcc     @rts
        cmp     #'z'+1
        bcs     @rts
        and     #$DF
@rts:   rts

; Tokenises the number at BUF,CRX (see CRUNCH); CRX moves past it. Where
; no number stands (a lone '.'), the character is copied.
CRNUM:  ldx     CRX             ; fold the letters of the number (an E)
@fold:  lda     BUF,x
        jsr     UPPER
        sta     BUF,x
        inx
        jsr     ISALNUM
        bcs     @fold
        cmp     #'.'
        beq     @fold
        cmp     #'+'
        beq     @fold
        cmp     #'-'
        beq     @fold
        lda     #<BUF
        clc
        adc     CRX
        sta     FPPTR
        lda     #>BUF
        sta     FPPTR+1
        jsr     FIN
        bcs     CRCOPY          ; no number here: copy the character
        lda     FPPTR           ; BTMP: end of its text
        sec
        sbc     #<BUF
        sta     BTMP
        sec                     ; room for marker, value, length, text?
        sbc     CRX
        sta     BTMP+1          ; (the text's length)
        adc     #5              ; (carry set: 6)
        adc     CRY
        bcs     CRLONG
        cmp     #CRMAX+1
        bcs     CRLONG
        lda     #$01
        jsr     CREMIT
        ldx     CRY
        ldy     #>CRBUF
        jsr     FSTFAC
        lda     CRY
        clc
        adc     #4
        sta     CRY
        lda     BTMP+1
@copy:  jsr     CREMIT
        ldx     CRX
        cpx     BTMP
        bcs     @rts
        lda     BUF,x
        inc     CRX
        bne     @copy
@rts:   rts

; Matches the keywords against BUF from index X (a letter). Gives carry set,
; A = the token and X after the keyword on a match; carry clear if none.
; Changes Y.
KWMATCH:
        stx     BTMP+2
        ldy     #0
        lda     #$80
        sta     BTMP+3
@kw:    ldx     BTMP+2
@ch:    lda     BUF,x
        jsr     UPPER
        eor     KWTAB,y
        beq     @same
        cmp     #$80
        beq     @found          ; the keyword's last character matched
@skip:  lda     KWTAB,y         ; no: on to the next keyword
        iny
        asl     a
        bcc     @skip
        inc     BTMP+3
        lda     KWTAB,y
        bne     @kw
        clc
        rts
@same:  inx
        iny
        bne     @ch
@found: inx
        lda     BTMP+3
        sec
        rts

; Stores the line typed in BUF (its number first): replaces a line of the
; same number, or deletes it when nothing follows the number. The variables
; are cleared and CONT forgotten.
EDLINE: txa                     ; the number: below 64000
        clc
        adc     #<BUF
        sta     FPPTR
        lda     #>BUF
        sta     FPPTR+1
        jsr     FIN
        jsr     FFIXU16
        cmp     #>64000
        bcc     @ok
        jmp     SNERR
@ok:    pha                     ; (kept until the line is tokenised: an
        tya                     ; error there is not in a program line)
        pha
        lda     FPPTR
        sec
        sbc     #<BUF
        tax
@num:   lda     BUF,x           ; the text after it
        cmp     #' '
        bne     @text
        inx
        bne     @num
@text:  jsr     CRUNCH
        pla
        sta     LINNUM
        sta     CRBUF+1
        pla
        sta     LINNUM+1
        sta     CRBUF+2
        ldx     #$FE            ; FOR and GOSUB records may point anywhere now
        txs
        jsr     CLEARV
        lda     CRBUF           ; room for the new line? (OMERR, nothing lost)
        clc
        adc     VARTAB
        lda     VARTAB+1
        adc     #0
        cmp     #>MEMSIZ
        bcc     @room
        jmp     OMERR
@room:  jsr     FNDLIN
        bcc     @insert
        ldy     #0              ; the old line goes
        lda     (INDEX),y
        ldx     #VARTAB
        jsr     CLOSEGAP
@insert:
        lda     CRBUF
        cmp     #5
        bcc     @done           ; only a number: the line is gone
        ldx     #VARTAB
        jsr     OPENGAP
        ldy     #0
@copy:  lda     CRBUF,y
        sta     (INDEX),y
        iny
        cpy     CRBUF
        bcc     @copy
@done:  jsr     CLEARV
        jmp     MAIN

; Finds line LINNUM: INDEX on the first line whose number is not below it
; (or on the program's end). Carry set when that line has the number.
; Changes A, Y.
FNDLIN: lda     #<TXTTAB
        sta     INDEX
        lda     #>TXTTAB
        sta     INDEX+1
@loop:  ldy     #0
        lda     (INDEX),y
        beq     @no
        ldy     #2
        lda     (INDEX),y
        cmp     LINNUM+1
        bcc     @next
        bne     @no
        dey
        lda     (INDEX),y
        cmp     LINNUM
        bcc     @next
        bne     @no
        rts                     ; carry set: equal
@next:  ldy     #0
        lda     (INDEX),y
        clc
        adc     INDEX
        sta     INDEX
        bcc     @loop
        inc     INDEX+1
        bne     @loop
@no:    clc
        rts

; Opens a gap of A bytes at INDEX: the memory from INDEX up to the address
; in zero page X moves up by A, and so does that address. Changes A, X, Y,
; MSRC, MDST, MCNT.
OPENGAP:
        jsr     GAPSET
        lda     0,x
        clc
        adc     GAPN
        sta     0,x
        bcc     MOVUP
        inc     1,x
; Moves MCNT bytes from MSRC up to MDST (above it), the last byte first.
MOVUP:  lda     MSRC+1
        clc
        adc     MCNT+1
        sta     MSRC+1
        lda     MDST+1
        clc
        adc     MCNT+1
        sta     MDST+1
        ldx     MCNT+1
        inx
        ldy     MCNT
        beq     @next
@loop:  dey
        lda     (MSRC),y
        sta     (MDST),y
        tya
        bne     @loop
@next:  dec     MSRC+1
        dec     MDST+1
        dex
        bne     @loop
        rts

; Closes a gap of A bytes at INDEX: the memory after it, up to the address
; in zero page X, moves down by A, and so does that address. Changes A, X,
; Y, MSRC, MDST, MCNT.
CLOSEGAP:
        jsr     GAPSET
        lda     MCNT
        sec
        sbc     GAPN
        sta     MCNT
        bcs     @c1
        dec     MCNT+1
@c1:    lda     0,x
        sec
        sbc     GAPN
        sta     0,x
        bcs     @c2
        dec     1,x
@c2:    ldy     #0              ; from MDST down to MSRC, the first byte first
        ldx     MCNT+1
        beq     @part
@page:  lda     (MDST),y
        sta     (MSRC),y
        iny
        bne     @page
        inc     MSRC+1
        inc     MDST+1
        dex
        bne     @page
@part:  ldx     MCNT
        beq     @done
@byte:  lda     (MDST),y
        sta     (MSRC),y
        iny
        dex
        bne     @byte
@done:  rts

; GAPN = A, MSRC = INDEX, MDST = INDEX + A, MCNT = the address in zero
; page X - INDEX.
GAPSET: sta     GAPN
        lda     INDEX
        sta     MSRC
        clc
        adc     GAPN
        sta     MDST
        lda     INDEX+1
        sta     MSRC+1
        adc     #0
        sta     MDST+1
        lda     0,x
        sec
        sbc     INDEX
        sta     MCNT
        lda     1,x
        sbc     INDEX+1
        sta     MCNT+1
        rts

; LIST [n][-[m]]: shows the lines from n to m. Ctrl-C breaks it.
LIST:
        ldx     #$FF            ; all lines unless told
        stx     LSTHI
        stx     LSTHI+1
        inx
        stx     LINNUM
        stx     LINNUM+1
        jsr     GETLIN
        bcs     @dash
        jsr     @hi             ; n alone: that line only
@dash:  lda     LINNUM+1
        pha
        lda     LINNUM
        pha
        jsr     CHRGOT
        cmp     #'-'
        bne     @go
        lda     #$FF            ; n-: to the end, n-m: to m
        sta     LSTHI
        sta     LSTHI+1
        jsr     CHRGET
        jsr     GETLIN
        bcs     @go
        jsr     @hi
@go:    pla
        sta     LINNUM
        pla
        sta     LINNUM+1
        jsr     FNDLIN
        jmp     LISTFROM
@hi:    lda     LINNUM          ; LSTHI = LINNUM
        sta     LSTHI
        lda     LINNUM+1
        sta     LSTHI+1
        rts
LISTFROM:
@line:  ldy     #0
        lda     (INDEX),y
        beq     @done
        ldy     #2
        lda     LSTHI+1
        cmp     (INDEX),y
        bcc     @done
        bne     @show
        dey
        lda     LSTHI
        cmp     (INDEX),y
        bcc     @done
@show:  jsr     ROM_CTRLC
        bcc     @nobrk
        jmp     STMTBRK
@nobrk: jsr     LSTLIN
        ldy     #0
        lda     (INDEX),y
        ldx     #INDEX
        jsr     ADDZP
        jmp     @line
@done:  rts

; Shows the line at INDEX: its number, a blank, the text with the keywords
; spelt out, then a new row. Preserves INDEX.
LSTLIN: ldy     #1
        lda     (INDEX),y
        tax
        iny
        lda     (INDEX),y
        pha
        txa
        tay
        pla
        jsr     PRTU16
        lda     #' '
        jsr     OUTCH
        ldy     #3
@byte:  lda     (INDEX),y
        beq     @end
        bmi     @kw
        cmp     #$20
        bcs     @ch
        tya                     ; a constant: its text
        clc
        adc     #5
        tay
        lda     (INDEX),y
        tax
@text:  iny
        lda     (INDEX),y
        jsr     OUTCH
        dex
        bne     @text
        iny
        bne     @byte
@ch:    jsr     OUTCH
        iny
        bne     @byte
@kw:    jsr     PRTKW
        iny
        bne     @byte
@end:   jmp     CRDO

; Prints the keyword of token A. Preserves Y.
PRTKW:  sty     TSAVY
        and     #$7F
        tax
        ldy     #0
@find:  dex
        bmi     @print
@skip:  lda     KWTAB,y
        iny
        asl     a
        bcc     @skip
        bcs     @find
@print: lda     KWTAB,y
        pha
        and     #$7F
        jsr     OUTCH
        iny
        pla
        bpl     @print
        ldy     TSAVY
        rts
