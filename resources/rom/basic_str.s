; Tessaly BASIC: strings.
;
; A string value is a descriptor of 3 bytes: length, address (low, high).
; Variables and array elements hold descriptors; the result of a string
; operation gets a temporary descriptor in TEMPST until it is used. The
; characters live in the program (strings in quotes, DATA), or in the
; string space, which grows down from MEMSIZ to FRETOP. No two descriptors
; share characters there: assignment copies unless the value is a fresh
; temporary, which is what lets GARBAG move each string by itself.

; Pushes a temporary descriptor: length A, address INDEX. DSCPTR points to
; it, VALTYP is set. STERR when all are in use.
PUTTMP: ldx     TEMPPT
        cpx     #TEMPMAX*3
        bcc     @ok
        jmp     STERR
@ok:    sta     TEMPST,x
        lda     INDEX
        sta     TEMPST+1,x
        lda     INDEX+1
        sta     TEMPST+2,x
        txa
        ora     #TEMPST         ; (TEMPST is $80, X below it)
        sta     DSCPTR
        lda     #0
        sta     DSCPTR+1
        inx
        inx
        inx
        stx     TEMPPT
        lda     #$FF
        sta     VALTYP
        rts

; Takes the string value DSCPTR for use: INDEX = its address, TLEN and A =
; its length (Z set when empty). A temporary on top of TEMPST is popped
; (its characters stay until the space is next reclaimed).
FRETMP: jsr     DESCLD
        bne     @done
        stx     TEMPPT
@done:  lda     TLEN
        rts

; Loads the string value DSCPTR: TLEN = its length, INDEX = its address;
; then goes on as ISTOP. Changes A and Y.
DESCLD: ldy     #0
        lda     (DSCPTR),y
        sta     TLEN
        iny
        lda     (DSCPTR),y
        sta     INDEX
        iny
        lda     (DSCPTR),y
        sta     INDEX+1
; Z set when DSCPTR is the temporary on top of TEMPST; X = TEMPPT without
; it. Changes A.
ISTOP:  lda     DSCPTR+1
        bne     @rts
        ldx     TEMPPT
        beq     @no
        dex
        dex
        dex
        txa
        ora     #TEMPST
        cmp     DSCPTR
@rts:   rts
@no:    inx                     ; Z clear
        rts

; Gets A bytes (1..255) in the string space, reclaiming it if needed:
; INDEX = their address (TLEN2 = A). OMERR when they do not fit. With A = 0
; nothing is taken and INDEX = FRETOP.
ALLOC:  sta     TLEN2
        jsr     @try
        bcc     @rts
        jsr     GARBAG
        jsr     @try
        bcc     @rts
        jmp     OMERR
@try:   lda     FRETOP          ; FRETOP - length >= STREND?
        sec
        sbc     TLEN2
        tax
        lda     FRETOP+1
        sbc     #0
        bcc     @no
        tay
        cpx     STREND
        sbc     STREND+1
        bcc     @no
        stx     FRETOP
        sty     FRETOP+1
        stx     INDEX
        sty     INDEX+1
        clc
@rts:   rts
@no:    sec
        rts

; LET for strings: the descriptor at VARPNT gets the value DSCPTR. A fresh
; temporary is taken over, a string in the program is pointed to, any other
; is copied into the string space.
STRASG: jsr     DESCLD
        bne     @var
        stx     TEMPPT          ; a temporary, popped: in the string space
        lda     INDEX+1         ; or the program it is ours as it is
        cmp     #>MEMSIZ
        bcc     @store
@var:   lda     INDEX+1         ; in the program: point to it
        cmp     #>TXTTAB
        bcc     @copy
        lda     INDEX
        cmp     VARTAB
        lda     INDEX+1
        sbc     VARTAB+1
        bcc     @store
@copy:  lda     TLEN
        jsr     ALLOC
        lda     TLEN2
        sta     TLEN
        jsr     COPYDSC         ; the source again (the space may have moved)
@store: ldy     #0
        lda     TLEN
        sta     (VARPNT),y
        iny
        lda     INDEX
        sta     (VARPNT),y
        iny
        lda     INDEX+1
        sta     (VARPNT),y
        rts

; Copies TLEN bytes of the string value DSCPTR to (INDEX): INDEX2 = its
; address, then as COPYSTR. Changes A, Y.
COPYDSC:
        ldy     #1
        lda     (DSCPTR),y
        sta     INDEX2
        iny
        lda     (DSCPTR),y
        sta     INDEX2+1
; Copies TLEN bytes from (INDEX2) to (INDEX). Changes A, Y.
COPYSTR:
        ldy     #0
@loop:  cpy     TLEN
        beq     @rts
        lda     (INDEX2),y
        sta     (INDEX),y
        iny
        bne     @loop
@rts:   rts

; Concatenation: LDSC + DSCPTR into a new temporary.
CONCAT: ldy     #0
        lda     (LDSC),y
        clc
        adc     (DSCPTR),y
        bcc     @ok
        jmp     LSERR
@ok:    jsr     ALLOC
        lda     INDEX           ; BTMP: where the result starts
        sta     BTMP
        lda     INDEX+1
        sta     BTMP+1
        ldy     #0              ; the left part
        lda     (LDSC),y
        sta     TLEN
        iny
        lda     (LDSC),y
        sta     INDEX2
        iny
        lda     (LDSC),y
        sta     INDEX2+1
        jsr     COPYSTR
        lda     INDEX           ; the right part after it
        clc
        adc     TLEN
        sta     INDEX
        bcc     @r
        inc     INDEX+1
@r:     ldy     #0
        lda     (DSCPTR),y
        sta     TLEN
        jsr     COPYDSC
        jsr     DROP2
        lda     BTMP
        sta     INDEX
        lda     BTMP+1
        sta     INDEX+1
        lda     TLEN2
        jmp     PUTTMP

; Pops the temporaries among DSCPTR and LDSC (the right one first), with no
; block given back.
DROP2:  jsr     ISTOP
        bne     @left
        stx     TEMPPT
@left:  lda     LDSC
        sta     DSCPTR
        lda     LDSC+1
        sta     DSCPTR+1
        jsr     ISTOP
        bne     @rts
        stx     TEMPPT
@rts:   rts

; Compares the strings LDSC and DSCPTR: A = 1 when the left is less, 2
; equal, 4 greater (character codes; a prefix is less).
STRCMP: jsr     FRETMP          ; the right one
        sta     BTMP+2
        lda     INDEX
        sta     INDEX2
        lda     INDEX+1
        sta     INDEX2+1
        lda     LDSC
        sta     DSCPTR
        lda     LDSC+1
        sta     DSCPTR+1
        jsr     FRETMP          ; the left one: INDEX, TLEN
        ldy     #0
@loop:  cpy     TLEN
        beq     @lend
        cpy     BTMP+2
        beq     @gt             ; the right one ended first
        lda     (INDEX),y
        cmp     (INDEX2),y
        bcc     @lt
        bne     @gt
        iny
        bne     @loop
@lend:  cpy     BTMP+2
        beq     @eq
@lt:    lda     #1
        rts
@eq:    lda     #2
        rts
@gt:    lda     #4
        rts

; STR$(x): the number as PRINT shows it, without the trailing blank.
STRS:   jsr     PARNUM
        jsr     FOUT
        sta     INDEX2
        sty     INDEX2+1
        ldy     #0
@len:   lda     (INDEX2),y
        beq     @got
        iny
        bne     @len
@got:   sty     TLEN
        tya
MKSTR:  jsr     ALLOC           ; a new temporary: A bytes from INDEX2
        lda     TLEN2
        sta     TLEN
        jsr     COPYSTR
        lda     TLEN
        jmp     PUTTMP

; CHR$(n)
CHRS:   jsr     PARNUM
        jsr     FFIXU8
        sta     DSCTMP
        lda     #<DSCTMP
        sta     INDEX2
        lda     #0
        sta     INDEX2+1
        lda     #1
        sta     TLEN
        bne     MKSTR

; (In the System ROM's spare space, with the reclaiming below.)
        .segment "HICODE"

; LEFT$(s,n), RIGHT$(s,n), MID$(s,m[,n])
LEFTS:  lda     #0
        .byte   $2C
RIGHTS: lda     #1
        .byte   $2C
MIDS:   lda     #2
        pha
        jsr     CHRGET
        jsr     CHKOPN
        jsr     FRMEVL
        jsr     CHKSTR
        lda     DSCPTR+1
        pha
        lda     DSCPTR
        pha
        jsr     CHKCOM
        jsr     GETBYT
        pha                     ; n, or m for MID$
        lda     #255
        pha
        tsx
        lda     $0105,x         ; MID$ may have a length
        cmp     #2
        bne     @close
        jsr     CHRGOT
        cmp     #','
        bne     @close
        jsr     CHRGET
        jsr     GETBYT
        tax
        pla
        txa
        pha
@close: jsr     CHKCLS
        pla
        sta     BTMP+3           ; MID$'s length
        pla
        sta     BTMP+2           ; n or m
        pla
        sta     DSCPTR
        pla
        sta     DSCPTR+1
        pla
        tax
        ldy     #0
        lda     (DSCPTR),y
        sta     TLEN
        lda     BTMP+2
        cpx     #1
        beq     @right
        bcs     @mid
        sta     BTMP+1          ; LEFT$: n from 0
        lda     #0
        beq     @clip
@right: sta     BTMP+1          ; RIGHT$: n from len - n
        lda     TLEN
        sec
        sbc     BTMP+1
        bcs     @clip
        lda     #0
        beq     @clip
@mid:   tax                     ; MID$: from m - 1 (m counts from 1)
        bne     @m1
        jmp     FQERR
@m1:    dex
        lda     BTMP+3
        sta     BTMP+1
        txa
@clip:  cmp     TLEN            ; BTMP = start, at most len
        bcc     @s
        lda     TLEN
@s:     sta     BTMP
        lda     TLEN            ; BTMP+1 = count, at most len - start
        sec
        sbc     BTMP
        cmp     BTMP+1
        bcs     @c
        sta     BTMP+1
@c:     lda     BTMP+1
        jsr     ALLOC
        ldy     #1              ; the source (after any reclaiming)
        lda     (DSCPTR),y
        clc
        adc     BTMP
        sta     INDEX2
        iny
        lda     (DSCPTR),y
        adc     #0
        sta     INDEX2+1
        lda     BTMP+1
        sta     TLEN
        jsr     COPYSTR
        jsr     ISTOP           ; the source temporary is done with
        bne     @keep
        stx     TEMPPT
@keep:  lda     TLEN
        jmp     PUTTMP

; ---------------------------------------------------------------- reclaiming

; Reclaims the string space: the strings that descriptors use are moved up
; against MEMSIZ, highest first, their descriptors following them; the rest
; is free. Each pass finds the highest string below those already moved.
GARBAG: lda     #<MEMSIZ
        sta     GCT             ; GCT: the strings from here up are done
        sta     GCP             ; GCP: where the next one ends
        lda     #>MEMSIZ
        sta     GCT+1
        sta     GCP+1
@pass:  lda     #0
        sta     GCO+1           ; GCO: the descriptor found (hi 0: none)
        lda     FRETOP
        sta     GCB             ; GCB: its string's address
        lda     FRETOP+1
        sta     GCB+1
        lda     VARTAB          ; the simple variables
        sta     GCD
        lda     VARTAB+1
        sta     GCD+1
@var:   ldx     #ARYTAB
        jsr     GCDEND
        beq     @arys
        ldy     #1
        lda     (GCD),y
        bpl     @vnext          ; a number or a function
        lda     #2
        jsr     GCADD
        jsr     GCSEE
        lda     #4
        bne     @vadd
@vnext: lda     #6
@vadd:  jsr     GCADD
        jmp     @var
@arys:  ldx     #STREND         ; the arrays
        jsr     GCDEND
        beq     @temps
        ldy     #2              ; MSRC: the next array
        lda     (GCD),y
        clc
        adc     GCD
        sta     MSRC
        iny
        lda     (GCD),y
        adc     GCD+1
        sta     MSRC+1
        ldy     #1
        lda     (GCD),y
        bpl     @anext          ; numbers
        ldy     #4
        lda     (GCD),y
        asl     a
        adc     #5
@elem:  jsr     GCADD
        ldx     #MSRC
        jsr     GCDEND
        beq     @anext
        jsr     GCSEE
        lda     #4
        bne     @elem
@anext: lda     MSRC
        sta     GCD
        lda     MSRC+1
        sta     GCD+1
        jmp     @arys
@temps: lda     #0              ; the temporaries
        sta     GCD+1
        lda     #TEMPST
@tmp:   sta     GCD
        sec
        sbc     #TEMPST
        cmp     TEMPPT
        bcs     @move
        jsr     GCSEE
        lda     GCD
        clc
        adc     #3
        bne     @tmp
@move:  lda     GCO+1
        beq     @done
        ldy     #0              ; move it: GCP -= length, copied down to up
        lda     (GCO),y
        tay
        eor     #$FF
        sec
        adc     GCP
        sta     GCP
        bcs     @m1
        dec     GCP+1
@m1:    dey
        lda     (GCB),y
        sta     (GCP),y
        tya
        bne     @m1
        ldy     #1              ; the descriptor follows it
        lda     GCP
        sta     (GCO),y
        iny
        lda     GCP+1
        sta     (GCO),y
        lda     GCB             ; and what is below it comes next
        sta     GCT
        lda     GCB+1
        sta     GCT+1
        jmp     @pass
@done:  lda     GCP
        sta     FRETOP
        lda     GCP+1
        sta     FRETOP+1
        rts

; Z set when GCD equals the address in zero page X. Changes A.
GCDEND: lda     GCD
        cmp     0,x
        bne     @rts
        lda     GCD+1
        cmp     1,x
@rts:   rts

; GCD += A.
GCADD:  ldx     #GCD
        jmp     ADDZP

; The descriptor at GCD, if its string lies in the string space below GCT
; and above the best found so far, becomes the best (GCO, GCB).
GCSEE:  ldy     #0
        lda     (GCD),y
        beq     @rts
        iny
        lda     (GCD),y
        tax
        iny
        lda     (GCD),y
        cpx     GCB
        sbc     GCB+1
        bcc     @rts
        lda     (GCD),y
        cpx     GCT
        sbc     GCT+1
        bcs     @rts
        lda     (GCD),y
        sta     GCB+1
        stx     GCB
        lda     GCD
        sta     GCO
        lda     GCD+1
        sta     GCO+1
@rts:   rts

        .segment "CODE"
