; Tessaly BASIC: strings.
;
; A string value is a descriptor of 3 bytes: length, address (low, high).
; Variables and array elements hold descriptors; the result of a string
; operation gets a temporary descriptor in TEMPST until it is used. The
; characters live in the program (strings in quotes, DATA), or in the
; string space, which grows down from MEMSIZ to FRETOP. Each block there
; is the characters followed by a trailer of 3 bytes: the length and, while
; the space is reclaimed, the address of the one descriptor that uses it.
; No two descriptors share a block: assignment copies unless the value is
; a fresh temporary.

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
        clc
        adc     #TEMPST
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
; its length (Z set when empty). A temporary on top of TEMPST is popped, and
; its block given back when it is the lowest in the string space (the
; characters stay readable until the next allocation).
FRETMP: ldy     #0
        lda     (DSCPTR),y
        sta     TLEN
        iny
        lda     (DSCPTR),y
        sta     INDEX
        iny
        lda     (DSCPTR),y
        sta     INDEX+1
        jsr     ISTOP
        bne     @done
        stx     TEMPPT
        lda     TLEN
        beq     @done
        lda     INDEX
        cmp     FRETOP
        bne     @done
        lda     INDEX+1
        cmp     FRETOP+1
        bne     @done
        lda     FRETOP          ; give the block back: length + 3
        sec
        adc     TLEN
        sta     FRETOP
        bcc     @fr2
        inc     FRETOP+1
@fr2:   lda     FRETOP
        clc
        adc     #2
        sta     FRETOP
        bcc     @done
        inc     FRETOP+1
@done:  lda     TLEN
        rts

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
        clc
        adc     #TEMPST
        cmp     DSCPTR
@rts:   rts
@no:    inx                     ; Z clear
        rts

; Gets A bytes (1..255) in the string space, reclaiming it if needed:
; INDEX = their address (TLEN2 = A). OMERR when they do not fit. With A = 0
; nothing is taken and INDEX = FRETOP.
ALLOC:  sta     TLEN2
        cmp     #0
        beq     @zero
        jsr     @try
        bcc     @rts
        jsr     GARBAG
        jsr     @try
        bcc     @rts
        jmp     OMERR
@zero:  lda     FRETOP
        sta     INDEX
        lda     FRETOP+1
        sta     INDEX+1
@rts:   rts
@try:   lda     FRETOP          ; FRETOP - length - 3 >= STREND?
        clc
        sbc     TLEN2
        tax
        lda     FRETOP+1
        sbc     #0
        tay
        txa
        sec
        sbc     #2
        tax
        tya
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
        ldy     TLEN2           ; the trailer's length
        lda     TLEN2
        sta     (INDEX),y
        clc
        rts
@no:    sec
        rts

; LET for strings: the descriptor at VARPNT gets the value DSCPTR. A fresh
; temporary is taken over, a string in the program is pointed to, any other
; is copied into the string space.
STRASG: ldy     #0
        lda     (DSCPTR),y
        sta     TLEN
        iny
        lda     (DSCPTR),y
        sta     INDEX
        iny
        lda     (DSCPTR),y
        sta     INDEX+1
        jsr     ISTOP
        bne     @where
        stx     TEMPPT          ; a temporary: popped
        jsr     INSPACE
        bcc     @store          ; in the string space: it is ours
@where: lda     TLEN
        beq     @store
        lda     INDEX+1         ; in the program: point to it
        cmp     #>TXTTAB
        bcc     @copy
        bne     @prg1
        lda     INDEX
        cmp     #<TXTTAB
        bcc     @copy
@prg1:  lda     INDEX
        cmp     VARTAB
        lda     INDEX+1
        sbc     VARTAB+1
        bcc     @store
@copy:  lda     TLEN
        jsr     ALLOC
        lda     TLEN2
        sta     TLEN
        ldy     #1              ; the source again (the space may have moved)
        lda     (DSCPTR),y
        sta     INDEX2
        iny
        lda     (DSCPTR),y
        sta     INDEX2+1
        jsr     COPYSTR
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

; Carry clear when INDEX lies in the string space (FRETOP..MEMSIZ-1).
INSPACE:
        lda     INDEX
        cmp     FRETOP
        lda     INDEX+1
        sbc     FRETOP+1
        bcc     @out
        lda     INDEX
        cmp     #<MEMSIZ
        lda     INDEX+1
        sbc     #>MEMSIZ
        rts                     ; carry clear: below MEMSIZ
@out:   sec
        rts

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
        iny
        lda     (DSCPTR),y
        sta     INDEX2
        iny
        lda     (DSCPTR),y
        sta     INDEX2+1
        jsr     COPYSTR
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

; LEFT$(s,n), RIGHT$(s,n), MID$(s,m[,n])
LEFTS:  lda     #0
        .byte   $2C
RIGHTS: lda     #1
        .byte   $2C
MIDS:   lda     #2
        pha
        jsr     CHRGET
        lda     #'('
        jsr     SYNCHR
        jsr     FRMEVL
        jsr     CHKSTR
        lda     DSCPTR+1
        pha
        lda     DSCPTR
        pha
        lda     #','
        jsr     SYNCHR
        jsr     FRMNUM
        jsr     FFIXU8
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
        jsr     FRMNUM
        jsr     FFIXU8
        tax
        pla
        txa
        pha
@close: lda     #')'
        jsr     SYNCHR
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

; Reclaims the string space: every block that no descriptor uses is
; dropped and the others are moved up against MEMSIZ, their descriptors
; following them. Linear in the space and the descriptors.
GARBAG: lda     #<MEMSIZ        ; 1: clear every trailer's owner
        sta     GCP
        lda     #>MEMSIZ
        sta     GCP+1
@clr:   jsr     GCPREV
        bcs     @mark
        lda     #0
        ldy     #1
        sta     (GCT),y
        iny
        sta     (GCT),y
        jmp     @clr
@mark:  lda     VARTAB          ; 2: each descriptor marks its block
        sta     GCD
        lda     VARTAB+1
        sta     GCD+1
@var:   lda     GCD
        cmp     ARYTAB
        bne     @var1
        lda     GCD+1
        cmp     ARYTAB+1
        beq     @arys
@var1:  ldy     #0
        lda     (GCD),y
        bmi     @vnext          ; a function
        iny
        lda     (GCD),y
        bpl     @vnext          ; a number
        lda     #2
        jsr     GCADD
        jsr     GCMARK
        lda     #4
        bne     @vadd
@vnext: lda     #6
@vadd:  jsr     GCADD
        jmp     @var
@arys:  lda     GCD+1
        cmp     STREND+1
        bne     @ary1
        lda     GCD
        cmp     STREND
        beq     @temps
@ary1:  ldy     #2              ; GCP: the next array
        lda     (GCD),y
        clc
        adc     GCD
        sta     GCP
        iny
        lda     (GCD),y
        adc     GCD+1
        sta     GCP+1
        ldy     #1
        lda     (GCD),y
        bpl     @anext          ; numbers
        ldy     #4
        lda     (GCD),y
        asl     a
        adc     #5
        jsr     GCADD
@elem:  lda     GCD
        cmp     GCP
        bne     @el1
        lda     GCD+1
        cmp     GCP+1
        beq     @anext
@el1:   jsr     GCMARK
        lda     #3
        jsr     GCADD
        jmp     @elem
@anext: lda     GCP
        sta     GCD
        lda     GCP+1
        sta     GCD+1
        jmp     @arys
@temps: lda     #0
        sta     GCD+1
        ldx     #0
@tmp:   cpx     TEMPPT
        bcs     @move
        txa
        clc
        adc     #TEMPST
        sta     GCD
        txa
        pha
        jsr     GCMARK
        pla
        tax
        inx
        inx
        inx
        bne     @tmp
@move:  lda     #<MEMSIZ        ; 3: move the blocks in use up
        sta     GCP
        sta     GCD
        lda     #>MEMSIZ
        sta     GCP+1
        sta     GCD+1
@blk:   lda     GCP             ; GCD: where the next kept block ends
        pha
        lda     GCP+1
        pha
        jsr     GCPREV
        pla
        sta     MCNT+1          ; (the old end, for the size)
        pla
        sta     MCNT
        bcs     @done
        ldy     #2
        lda     (GCT),y
        beq     @blk            ; not in use
        sta     GCO+1
        dey
        lda     (GCT),y
        sta     GCO
        lda     MCNT            ; size = old end - start
        sec
        sbc     GCP
        sta     MCNT
        lda     MCNT+1
        sbc     GCP+1
        sta     MCNT+1
        lda     GCD             ; new start = GCD - size
        sec
        sbc     MCNT
        sta     MDST
        sta     GCD
        lda     GCD+1
        sbc     MCNT+1
        sta     MDST+1
        sta     GCD+1
        ldy     #1              ; the descriptor follows
        lda     MDST
        sta     (GCO),y
        iny
        lda     MDST+1
        sta     (GCO),y
        lda     GCP
        sta     MSRC
        lda     GCP+1
        sta     MSRC+1
        jsr     MOVUP
        jmp     @blk
@done:  lda     GCD
        sta     FRETOP
        lda     GCD+1
        sta     FRETOP+1
        rts

; Steps GCP back over the block that ends at GCP: GCT = its trailer, GCP =
; its start. Carry set (nothing done) when GCP is at FRETOP.
GCPREV: lda     GCP
        cmp     FRETOP
        bne     @back
        lda     GCP+1
        cmp     FRETOP+1
        bne     @back
        sec
        rts
@back:  lda     GCP
        sec
        sbc     #3
        sta     GCT
        lda     GCP+1
        sbc     #0
        sta     GCT+1
        ldy     #0
        lda     GCT
        sec
        sbc     (GCT),y
        sta     GCP
        lda     GCT+1
        sbc     #0
        sta     GCP+1
        clc
        rts

; GCD += A.
GCADD:  clc
        adc     GCD
        sta     GCD
        bcc     @rts
        inc     GCD+1
@rts:   rts

; The descriptor at GCD marks its block in the string space as its own.
; Preserves GCD.
GCMARK: ldy     #0
        lda     (GCD),y
        beq     @rts
        sta     GCLEN
        iny
        lda     (GCD),y
        sta     INDEX
        iny
        lda     (GCD),y
        sta     INDEX+1
        jsr     INSPACE
        bcs     @rts
        lda     INDEX           ; the trailer: length, owner
        clc
        adc     GCLEN
        sta     INDEX
        bcc     @t
        inc     INDEX+1
@t:     ldy     #1
        lda     GCD
        sta     (INDEX),y
        iny
        lda     GCD+1
        sta     (INDEX),y
@rts:   rts
