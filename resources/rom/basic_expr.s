; Tessaly BASIC: expressions, variables, arrays and functions.

OP_ADD  = 1
OP_SUB  = 2
OP_MUL  = 3
OP_DIV  = 4
OP_POW  = 5
OP_REL  = 6
OP_AND  = 7
OP_OR   = 8

; Evaluates a numeric expression at the current character (TMERR for a
; string).
FRMNUM: jsr     FRMEVL
CHKNUM: lda     VALTYP
        bne     TMERR2
        rts
CHKSTR: lda     VALTYP
        beq     TMERR2
        rts
TMERR2: jmp     TMERR

; Evaluates the expression at the current character: a number in FAC
; (VALTYP 0) or a string (VALTYP $FF, DSCPTR its descriptor). TXTPTR is
; left on the first character after it.
FRMEVL: lda     #0
; Evaluates operands joined by operators that bind tighter than A
; (precedence climbing: each operator evaluates its right operand with its
; own precedence, so equal ones group from the left).
EXPR:   pha
        tsx
        cpx     #STKEXP
        bcs     @room
        jmp     OMERR
@room:  jsr     PRIMARY
EXLOOP: jsr     CHRGOT
        cmp     #'*'
        bcc     @done
        cmp     #'>'+1
        bcs     @high
        tay
        lda     OPCHR-'*',y
        beq     @done
        tay
        bne     @op
@high:  ldy     #OP_POW
        cmp     #'^'
        beq     @op
        ldy     #OP_AND
        cmp     #TK_AND
        beq     @op
        ldy     #OP_OR
        cmp     #TK_OR
        bne     @done
@op:    lda     PRECTAB-1,y
        tsx
        cmp     $0101,x
        beq     @done
        bcs     @take
@done:  pla
        rts
@take:  sta     TPREC
        sty     TOP
        lda     #0
        sta     TMASK
        cpy     #OP_REL
        bne     @one
@rel:   jsr     CHRGOT          ; '<' 1, '=' 2, '>' 4, in any order
        sec
        sbc     #'<'
        cmp     #3
        bcs     @push
        tax
        lda     RELBIT,x
        ora     TMASK
        sta     TMASK
        jsr     CHRGET
        jmp     @rel
@one:   jsr     CHRGET
@push:  lda     VALTYP          ; the left operand onto the stack
        bne     @pstr
        tsx
        txa
        sec
        sbc     #4
        tax
        txs
        inx
        ldy     #1
        jsr     FSTFAC
        jmp     @pushed
@pstr:  lda     DSCPTR+1
        pha
        lda     DSCPTR
        pha
        pha
        pha
@pushed:
        lda     VALTYP
        pha
        lda     TOP
        pha
        lda     TMASK
        pha
        lda     TPREC
        jsr     EXPR            ; the right operand
        pla
        sta     TMASK
        pla
        tay
        pla
        cmp     VALTYP
        beq     @same
        jmp     TMERR
@same:  tax
        bne     @strop
        cpy     #OP_REL
        beq     @cmp
        bcs     @logic
        tya                     ; + - * / ^: FAC = left op FAC
        asl     a
        tax
        lda     OPADR-2,x
        sta     BJVEC
        lda     OPADR-1,x
        sta     BJVEC+1
        tsx
        inx
        txa
        ldy     #1
        jsr     JMPVEC
@pop:   pla
        pla
        pla
        pla
        jmp     EXLOOP
@cmp:   tsx
        inx
        txa
        ldy     #1
        jsr     FCMPM           ; sign of right - left
        clc
        adc     #1
        tax
        lda     CMPMAP,x
@rel2:  and     TMASK           ; true -1, false 0
        beq     @false
        lda     #$FF
@false: tay
        jsr     FFLT16
        jmp     @pop
@logic: sty     TOP
        jsr     FFIX16          ; the right operand
        sta     BTMP+1
        sty     BTMP
        tsx
        inx
        txa
        ldy     #1
        jsr     FLDFAC
        jsr     FFIX16
        ldx     TOP
        cpx     #OP_AND
        bne     @or
        and     BTMP+1
        pha
        tya
        and     BTMP
        jmp     @lres
@or:    ora     BTMP+1
        pha
        tya
        ora     BTMP
@lres:  tay
        pla
        jsr     FFLT16
        jmp     @pop
@strop: tsx                     ; the left operand's descriptor
        lda     $0103,x
        sta     LDSC
        lda     $0104,x
        sta     LDSC+1
        cpy     #OP_ADD
        beq     @cat
        cpy     #OP_REL
        beq     @scmp
        jmp     TMERR
@cat:   jsr     CONCAT
        jmp     @pop
@scmp:  jsr     STRCMP
        ldx     #0
        stx     VALTYP
        jmp     @rel2

; Jumps through BJVEC.
JMPVEC: jmp     (BJVEC)

; ^: ARG = the left operand (A,Y), then FAC = ARG ^ FAC.
POWM:   jsr     FLDARG
        jmp     FPOW

; Operators by character from '*' to '>' (0: none).
OPCHR:  .byte   OP_MUL, OP_ADD, 0, OP_SUB, 0, OP_DIV
        .byte   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0
        .byte   OP_REL, OP_REL, OP_REL
; Precedence of each operator (higher binds tighter). NOT takes its operand
; at 3, unary minus at 7.
PRECTAB:
        .byte   5, 5, 6, 6, 8, 4, 2, 1
OPADR:  .addr   FADDM, FSUBM, FMULM, FDIVM, POWM
RELBIT: .byte   1, 2, 4
; Result of FCMPM (right - left: -1, 0, 1) as a relation bit of left to
; right: greater, equal, less.
CMPMAP: .byte   4, 2, 1

; An operand: a constant, variable, string, function, parenthesis, or an
; operand with unary minus, plus or NOT.
PRIMARY:
        jsr     CHRGOT
        ldx     #0
        stx     VALTYP
        bcc     @const
        cmp     #'A'
        bcc     @punct
        cmp     #'Z'+1
        bcc     @var
        cmp     #TK_SGN
        bcc     @word
        jmp     FUNC
@word:  cmp     #TK_NOT
        beq     @not
        cmp     #TK_FN
        bne     @sn
        jmp     FNCALL
@const: cmp     #$01
        bne     @sn
        jsr     NUMCON
        jsr     SKIPCON
        jmp     CHRGET
@var:   jsr     PTRGET
        lda     VALTYP
        bne     @svar
        lda     VARPNT
        ldy     VARPNT+1
        jmp     FLDFAC
@svar:  lda     VARPNT
        sta     DSCPTR
        lda     VARPNT+1
        sta     DSCPTR+1
        rts
@punct: cmp     #'"'
        beq     @str
        cmp     #'('
        beq     @paren
        cmp     #'-'
        beq     @neg
        cmp     #'+'
        bne     @sn
        jsr     CHRGET
        jmp     PRIMARY
@sn:    jmp     SNERR
@paren: jsr     CHRGET
        jsr     FRMEVL
        jmp     CHKCLS
@neg:   lda     #7              ; -x: x binds only ^ tighter
        jsr     @unary
        jmp     FNEG
@not:   lda     #3              ; NOT x: x takes relations and tighter
        jsr     @unary
        jsr     FFIX16
        eor     #$FF
        pha
        tya
        eor     #$FF
        tay
        pla
        jmp     FFLT16
@unary: pha
        jsr     CHRGET
        pla
        jsr     EXPR
        jmp     CHKNUM
@str:   lda     TXTPTR          ; a string in quotes: its text is the value
        ldy     TXTPTR+1
        clc
        adc     #1
        bcc     @s1
        iny
@s1:    sta     INDEX
        sty     INDEX+1
        ldy     #$FF
@scan:  iny
        lda     (INDEX),y
        beq     @send
        cmp     #'"'
        bne     @scan
@send:  sty     BTMP            ; its length
        cmp     #1              ; carry set: a closing quote to pass too
        tya
        adc     TXTPTR
        sta     TXTPTR
        bcc     @s2
        inc     TXTPTR+1
@s2:    lda     BTMP
        jsr     PUTTMP
        jmp     CHRGET

; '(' expression ')' after a function's keyword; PARNUM for a number,
; PARSTR for a string (released: TLEN, A and INDEX as FRETMP gives them).
PARNUM: jsr     PAREXP
        jmp     CHKNUM
PARSTR: jsr     PAREXP
        jsr     CHKSTR
        jmp     FRETMP
PAREXP: jsr     CHRGET
        jsr     CHKOPN
        jsr     FRMEVL
        jmp     CHKCLS

; A function: those of one number go straight to their routine (entered
; by RTS with the argument in FAC), the others are entered on the keyword.
FUNC:   cmp     #TK_MID+1
        bcc     @ok
        jmp     SNERR
@ok:    sec
        sbc     #TK_SGN
        asl     a
        tay
        lda     FUNTAB+1,y
        pha
        lda     FUNTAB,y
        pha
        cpy     #(TK_FRE-TK_SGN)*2
        bcs     @rts
        jsr     PARNUM
@rts:   rts

; FRE(x): free memory in bytes, after reclaiming the string space.
FRE:    jsr     PAREXP
        lda     VALTYP
        beq     @num
        jsr     FRETMP
@num:   jsr     GARBAG
        lda     FRETOP
        sec
        sbc     STREND
        tay
        lda     FRETOP+1
        sbc     STREND+1
        jsr     FFLTU16
        jmp     NUMRES

; POS(x): the output column.
POS:    jsr     PARNUM
        lda     TERMX
UINT8:  jsr     FFLTU8
NUMRES: lda     #0
        sta     VALTYP
        rts

; PEEK(a)
PEEK:   jsr     PARNUM
        jsr     GETADR
        sty     INDEX
        sta     INDEX+1
        ldy     #0
        lda     (INDEX),y
        jmp     UINT8

; LEN(s)
LEN:    jsr     PARSTR
        jmp     UINT8

; ASC(s): the code of the first character (FQERR for "").
ASC:    jsr     PARSTR
        beq     @fc
        ldy     #0
        lda     (INDEX),y
        jmp     UINT8
@fc:    jmp     FQERR

; VAL(s): the number at the start of the string (0 when none). FIN reads
; a copy of its first VALMAX characters, ended by 0, made at the bottom of
; the stack's page (which the stack never reaches: see STKEXP).
VAL:    jsr     PARSTR
        cmp     #VALMAX
        bcc     @len
        lda     #VALMAX
@len:   tay
        lda     #0
        sta     VALBUF,y
        dey
        bmi     @fin
@copy:  lda     (INDEX),y
        sta     VALBUF,y
        dey
        bpl     @copy
@fin:   lda     #<VALBUF
        sta     FPPTR
        lda     #>VALBUF
        sta     FPPTR+1
        jsr     FIN
        jmp     NUMRES

; GETADR: FAC as an address 0..65535: A (high), Y (low).
GETADR = FFIXU16

; FN x(a): evaluates the function's expression with the parameter set to
; a; the parameter's own value is kept and put back.
FNCALL: jsr     CHRGET
        jsr     FNNAME
        lda     #0
        sta     PTRMODE
        jsr     LOOKUP
        lda     VARPNT+1        ; ZERO4 in the ROM: not defined
        cmp     #>FRE
        bcc     @def
        jmp     UFERR
@def:   ldy     #3
@ent:   lda     (VARPNT),y      ; parameter hi, lo, text hi, lo
        pha
        dey
        bpl     @ent
        jsr     CHKOPN
        jsr     FRMNUM
        jsr     CHKCLS
        pla
        sta     INDEX
        pla
        sta     INDEX+1
        pla
        sta     INDEX2
        pla
        sta     INDEX2+1
        ldy     #0
@save:  lda     (INDEX2),y      ; the parameter's value
        pha
        iny
        cpy     #4
        bcc     @save
        lda     INDEX2+1
        pha
        lda     INDEX2
        pha
        lda     TXTPTR+1
        pha
        lda     TXTPTR
        pha
        ldx     INDEX2
        ldy     INDEX2+1
        jsr     FSTFAC
        lda     INDEX
        sta     TXTPTR
        lda     INDEX+1
        sta     TXTPTR+1
        jsr     CHRGET          ; past the '='
        jsr     FRMNUM
        pla
        sta     TXTPTR
        pla
        sta     TXTPTR+1
        pla
        sta     INDEX2
        pla
        sta     INDEX2+1
        ldy     #3
@rest:  pla
        sta     (INDEX2),y
        dey
        bpl     @rest
        rts

; ---------------------------------------------------------------- variables

; True (carry set) when A is a letter or a digit. Changes nothing else.
ISALNUM:
        cmp     #'Z'+1
        bcs     @no
        cmp     #'A'
        bcs     @yes
        cmp     #'9'+1
        bcs     @no
        cmp     #'0'
        rts
@no:    clc
@yes:   rts

; Reads a name at A, the current character: a letter, then letters and
; digits of which the first counts, then '$' for a string. Sets NAME1,
; NAME2, VALTYP; A is the character after it. SNERR when no letter.
PTRNAME:
        cmp     #'A'
        bcc     @sn
        cmp     #'Z'+1
        bcs     @sn
        sta     NAME1
        ldx     #0
        stx     VALTYP
        stx     NAME2
        jsr     CHRGET
        jsr     ISALNUM
        bcc     @end
        sta     NAME2
@more:  jsr     CHRGET
        jsr     ISALNUM
        bcs     @more
@end:   cmp     #'$'
        bne     @rts
        lda     #$FF
        sta     VALTYP
        lda     NAME2
        ora     #$80
        sta     NAME2
        jmp     CHRGET
@rts:   rts
@sn:    jmp     SNERR

; Finds the variable named at the current character: VARPNT = the address
; of its value (a string's descriptor), VALTYP its type; an array element
; when '(' follows. PTRGET does not create a simple variable that is not
; there (it reads as 0 or ""); PTRGETC does.
PTRGETC:
        lda     #$80
        bne     PTRG2
PTRGET: lda     #0
PTRG2:  sta     PTRMODE
        jsr     CHRGOT
        jsr     PTRNAME
        cmp     #'('
        bne     LOOKUP
        jmp     ARRAY

; Finds the simple variable NAME1, NAME2 (or function, NAME1 bit 7):
; VARPNT = the address of its value. Not there: created when PTRMODE bit 7
; is set (always for LOOKC), else VARPNT = ZERO4.
LOOKC:  lda     #$80
        sta     PTRMODE
LOOKUP: lda     VARTAB
        ldx     VARTAB+1
@loop:  sta     VARPNT
        stx     VARPNT+1
        cpx     ARYTAB+1
        bne     @cmp
        cmp     ARYTAB
        beq     @none
@cmp:   ldy     #0
        lda     (VARPNT),y
        cmp     NAME1
        bne     @next
        iny
        lda     (VARPNT),y
        cmp     NAME2
        beq     @found
@next:  lda     VARPNT
        clc
        adc     #6
        bcc     @loop
        inx
        bcs     @loop
@found: lda     VARPNT
        clc
        adc     #2
        sta     VARPNT
        bcc     @rts
        inc     VARPNT+1
@rts:   rts
@none:  bit     PTRMODE
        bmi     @create
        lda     #<ZERO4
        sta     VARPNT
        lda     #>ZERO4
        sta     VARPNT+1
        rts
@create:
        lda     #6              ; 6 bytes at ARYTAB: the arrays move up
        ldy     #0
        jsr     ROOM
        lda     VARPNT
        sta     INDEX
        lda     VARPNT+1
        sta     INDEX+1
        lda     #6
        ldx     #STREND
        jsr     OPENGAP
        lda     #6
        ldx     #ARYTAB
        jsr     ADDZP
@s2:    ldy     #0
        lda     NAME1
        sta     (VARPNT),y
        iny
        lda     NAME2
        sta     (VARPNT),y
        lda     #0
@zero:  iny
        sta     (VARPNT),y
        cpy     #5
        bcc     @zero
        jmp     @found

; Makes sure A (low), Y (high) more bytes fit between STREND and the string
; space, reclaiming it if needed; OMERR when they do not.
ROOM:   sta     ROOMN
        sty     ROOMN+1
        jsr     @fits
        bcc     @rts
        jsr     GARBAG
        jsr     @fits
        bcc     @rts
        jmp     OMERR
@fits:  lda     STREND
        clc
        adc     ROOMN
        tax
        lda     STREND+1
        adc     ROOMN+1
        bcs     @rts            ; past 64K: carry set
        cpx     FRETOP
        sbc     FRETOP+1        ; carry clear when below FRETOP
        bcc     @ok
        sec
        rts
@ok:    clc
@rts:   rts

; An array element: NAME1, NAME2, VALTYP set, the current character '('.
; Reads the subscripts, finds the array (creating it with 0..10 in each
; dimension if it is not there, or as DIM asks when DIMFLG is set) and
; sets VARPNT to the element. BSERR for a subscript out of range.
; An array: name (2), size of the whole entry (2), number of dimensions,
; the size of each dimension (2 each, high byte first, the first dimension
; first), the elements (4 bytes each: a number, or a string's descriptor and
; a spare byte), the last subscript counting fastest.
ARRAY:  ldx     #3              ; DIMFLG, VALTYP, NAME2, NAME1
@save:  lda     NAME1,x
        pha
        dex
        bpl     @save
        lda     #0
        sta     DIMFLG
        sta     NSUB
@sub:   lda     NSUB
        pha
        jsr     CHRGET
        jsr     FRMNUM
        jsr     FFIX16
        tax
        bmi     @bs
        pla
        sta     NSUB
        inc     NSUB
        txa
        pha                     ; subscript: high, then low
        tya
        pha
        jsr     CHRGOT
        cmp     #','
        beq     @sub
        jsr     CHKCLS
        jsr     SUB1X           ; the saved name lies above the subscripts
        ldy     #0
@rest:  lda     $0102,x
        sta     NAME1,y
        inx
        iny
        cpy     #4
        bne     @rest
        lda     ARYTAB          ; find it
        ldx     ARYTAB+1
@find:  sta     INDEX
        stx     INDEX+1
        cmp     STREND
        bne     @cmp
        cpx     STREND+1
        beq     @new
@cmp:   ldy     #0
        lda     (INDEX),y
        cmp     NAME1
        bne     @next
        iny
        lda     (INDEX),y
        cmp     NAME2
        beq     @found
@next:  ldy     #2
        lda     (INDEX),y
        clc
        adc     INDEX
        pha
        iny
        lda     (INDEX),y
        adc     INDEX+1
        tax
        pla
        jmp     @find
@bs:    jmp     BSERR
@found: bit     DIMFLG
        bmi     @dd
        jmp     ARYELM
@dd:    jmp     DDERR
@new:   lda     NSUB            ; room for the header: 5 + 2n
        asl     a
        adc     #5
        sta     TLEN
        ldy     #0
        jsr     ROOM
        ldy     #0
        lda     NAME1
        sta     (INDEX),y
        iny
        lda     NAME2
        sta     (INDEX),y
        ldy     #4
        lda     NSUB
        sta     (INDEX),y
        lda     #4              ; BTMP: bytes of the elements
        sta     BTMP
        lda     #0
        sta     BTMP+1
        jsr     SUB1X
        ldy     #5
@dims:  jsr     ADIM
        lda     MCNT+1
        sta     (INDEX),y
        iny
        lda     MCNT
        sta     (INDEX),y
        iny
        stx     TSAVY
        jsr     UMUL
        bcs     @om
        ldx     TSAVY
        dex
        dex
        cpy     TLEN
        bcc     @dims
        lda     BTMP            ; the whole entry: elements and header
        clc
        adc     TLEN
        sta     BTMP+2
        ldy     #2
        sta     (INDEX),y
        lda     BTMP+1
        adc     #0
        sta     BTMP+3
        iny
        sta     (INDEX),y
        bcs     @om
        lda     BTMP+2
        ldy     BTMP+3
        jsr     ROOM
        lda     BTMP            ; zero the elements
        sta     MCNT
        lda     BTMP+1
        sta     MCNT+1
        lda     INDEX
        clc
        adc     TLEN
        sta     MDST
        lda     INDEX+1
        adc     #0
        sta     MDST+1
        jsr     ZFILL
        lda     INDEX
        clc
        adc     BTMP+2
        sta     STREND
        lda     INDEX+1
        adc     BTMP+3
        sta     STREND+1
        bit     DIMFLG
        bmi     @pop
        jmp     ARYELM
@pop:   jmp     ARYPOP
@om:    jmp     OMERR

; The element of the array at INDEX for the subscripts on the stack (see
; ARRAY); then drops what ARRAY pushed and returns from it.
ARYELM: ldy     #4
        lda     (INDEX),y
        cmp     NSUB
        beq     @num
@bs:    jmp     BSERR
@num:   lda     #0              ; BTMP = the element's number
        sta     BTMP
        sta     BTMP+1
        jsr     SUB1X
        ldy     #5
@dim:   lda     (INDEX),y
        sta     MCNT+1
        iny
        lda     (INDEX),y
        sta     MCNT
        iny
        lda     $0100,x         ; the subscript must be below the size
        cmp     MCNT
        lda     $0101,x
        sbc     MCNT+1
        bcs     @bs
        lda     BTMP
        ora     BTMP+1
        beq     @add
        stx     TSAVY
        jsr     UMUL
        ldx     TSAVY
@add:   lda     BTMP
        clc
        adc     $0100,x
        sta     BTMP
        lda     BTMP+1
        adc     $0101,x
        sta     BTMP+1
        dex
        dex
        dec     NSUB
        bne     @dim
        asl     BTMP            ; times 4
        rol     BTMP+1
        asl     BTMP
        rol     BTMP+1
        tya                     ; VARPNT = INDEX + header + offset
        clc
        adc     INDEX
        sta     VARPNT
        lda     INDEX+1
        adc     #0
        sta     VARPNT+1
        lda     VARPNT
        clc
        adc     BTMP
        sta     VARPNT
        lda     VARPNT+1
        adc     BTMP+1
        sta     VARPNT+1
; Drops the subscripts and the 4 saved bytes that ARRAY pushed (their
; number from the array at INDEX) and returns from ARRAY.
ARYPOP: ldy     #4
        lda     (INDEX),y
        asl     a
        adc     #4
        sta     BTMP
        tsx
        txa
        clc
        adc     BTMP
        tax
        txs
        rts

; X = the stack offset of the first subscript's low byte (for $0100,x),
; from NSUB. Called by JSR: the 2 bytes of its return address are counted.
SUB1X:  tsx
        txa
        clc
        adc     NSUB
        adc     NSUB
        adc     #2
        tax
        dex
        rts

; MCNT = the size of a dimension from the subscript at $0100,x: the
; subscript + 1 for DIM, else 11. Preserves X, Y.
ADIM:   bit     DIMFLG
        bpl     @auto
        lda     $0100,x
        clc
        adc     #1
        sta     MCNT
        lda     $0101,x
        adc     #0
        sta     MCNT+1
        rts
@auto:  lda     #11
        sta     MCNT
        lda     #0
        sta     MCNT+1
        rts

; Stores MCNT zero bytes from MDST. Changes A, X, Y, MDST.
ZFILL:  lda     #0
        tay
        ldx     MCNT+1
        beq     @part
@page:  sta     (MDST),y
        iny
        bne     @page
        inc     MDST+1
        dex
        bne     @page
@part:  ldx     MCNT
        beq     @rts
@byte:  sta     (MDST),y
        iny
        dex
        bne     @byte
@rts:   rts

; BTMP = BTMP * MCNT, 16 bits; carry set when the product passes 65535.
; Changes A, X, MSRC.
UMUL:   lda     #0
        sta     MSRC
        sta     MSRC+1
        ldx     #16
@bit:   asl     MSRC
        rol     MSRC+1
        bcs     @rts
        asl     BTMP
        rol     BTMP+1
        bcc     @no
        lda     MSRC
        clc
        adc     MCNT
        sta     MSRC
        lda     MSRC+1
        adc     MCNT+1
        sta     MSRC+1
        bcs     @rts
@no:    dex
        bne     @bit
        lda     MSRC
        sta     BTMP
        lda     MSRC+1
        sta     BTMP+1
        clc
@rts:   rts
