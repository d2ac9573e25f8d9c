; Tessaly BASIC: the arithmetic package (included by basic.s). The interface
; (number formats, FAC and ARG, the routines and what they take and give) is
; described in basic.inc.
;
; Rounding. Every operation leaves its result in FAC with the exact result
; truncated to at least 25 bits: 24 in the mantissa and the next in bit 7 of
; the guard byte FACX (FADD keeps 8 guard bits, FMUL too). Whoever uses FAC
; next rounds it first (FROUND: half up), so every +, -, * and / is rounded
; to nearest from its exact result, and a chain of operations never drifts.
; Rounding is deferred rather than done at once so that FIN and FOUT can
; scale a number by a power of ten and still see the bits below the 24th.
;
; The functions are written as short scripts of these operations (FPRUN),
; which keeps them small; the operations themselves are plain code.

; ---------------------------------------------------------------- RAM

FP_RAMTOP = $A000       ; no tables in RAM

RES     = $AB           ; 6: product (most significant byte first), or
                        ; the remainder of a division
TROW    = $B1           ; 4: scratch of XSTEP
ARGX    = $B6           ; FADD: ARG's guard byte while it is aligned
ARGX2   = $B7           ; FADD: bits shifted out below ARGX (sticky)
QBYTE   = $B8           ; FDIV: the quotient byte being built
FPT0    = $BB           ; scratch of the conversions and FOUT
FPT1    = $BC           ; also: FINT leaves it non-zero for a fraction
SCNT    = $BD           ; SCALE10: the power of ten still to apply
; $BE..$CA are shared: FIN, FOUT and the functions never run inside one
; another.
DEXP    = $C2           ; FIN: the decimal exponent of the digits
EXP10   = $C3           ; FIN: the number after E
FINFLG  = $C4           ; FIN: bit 7 a digit seen, bit 6 a point seen
FINSGN  = $C5           ; FIN: bit 7 the number is negative
FDEC    = $C2           ; FOUT: its decimal exponent
LAST    = $C3           ; FOUT: the index of its last digit that is not 0
T1      = $BE           ; functions: 4: packed temporaries
T2      = $C2
CPTR    = $C6           ; 2: POLY's coefficients
PCNT    = $C8           ; POLY, FSQR, FPOW: a count
FFLG    = $C9           ; flags of a function
FQ      = $CA           ; a function's quadrant or exponent
SPTR    = $CB           ; 2: FPRUN's step pointer
FPJV    = $CD           ; 2: FPRUN's jump vector
T3      = $CF           ; 4: TAN and ^ keep their operands here
T4      = $D3           ; 4
PSGN    = $D7           ; ^: bit 7 the result is negative
FISGN   = $D8           ; FINT: the number's sign
PTR     = $DE           ; 2: the packed number being loaded or stored
RNDS    = $0240         ; 4: the state of RND, least significant byte first
DIGITS  = FOUTBUF+10    ; FOUT: the six digits, after a seventh for 10^6
                        ; (the text never reaches them before they are used)

; ---------------------------------------------------------------- start

; FINIT: starts RND's sequence as RND(-1) would. Changes A, X, Y.
FINIT:  jsr     FONE
        jsr     FNEG
        jmp     FRND

; ---------------------------------------------------------------- load, store

; FLDFAC: FAC <- the packed number at (A,Y). Changes A, Y; Z set when 0.
FLDFAC: sta     PTR
        sty     PTR+1
        ldy     #3
        lda     (PTR),y
        sta     FACM+2
        dey
        lda     (PTR),y
        sta     FACM+1
        dey
        lda     (PTR),y
        sta     FACSGN
        ora     #$80
        sta     FACM
        dey
        sty     FACX
        lda     (PTR),y
        sta     FACEXP
        rts

; FLDARG: ARG <- the packed number at (A,Y). Changes A, Y.
FLDARG: sta     PTR
        sty     PTR+1
        ldy     #3
        lda     (PTR),y
        sta     ARGM+2
        dey
        lda     (PTR),y
        sta     ARGM+1
        dey
        lda     (PTR),y
        sta     ARGSGN
        ora     #$80
        sta     ARGM
        dey
        lda     (PTR),y
        sta     ARGEXP
        rts

; FSTFAC: the packed number at (X,Y) <- FAC rounded to 24 bits (FAC is left
; rounded too, the same number). Changes A, Y.
FSTFAC: stx     PTR
        sty     PTR+1
        jsr     FROUND
        ldy     #3
        lda     FACM+2
        sta     (PTR),y
        dey
        lda     FACM+1
        sta     (PTR),y
        dey
        lda     FACSGN
        ora     #$7F
        and     FACM
        sta     (PTR),y
        dey
        lda     FACEXP
        sta     (PTR),y
        rts

; FTOARG: ARG <- FAC rounded (FAC is left rounded). Changes A, X.
FTOARG: jsr     FROUND
        ldx     #3
:       lda     FACEXP,x
        sta     ARGEXP,x
        dex
        bpl     :-
        lda     FACSGN
        sta     ARGSGN
        rts

; ARGFAC: FAC <- ARG. Changes A, X.
ARGFAC: ldx     #3
:       lda     ARGEXP,x
        sta     FACEXP,x
        dex
        bpl     :-
        lda     ARGSGN
        sta     FACSGN
        lda     #0
        sta     FACX
        rts

; FROUND: rounds FAC to 24 bits by bit 7 of its guard byte, and clears the
; guard. Overflow error when the rounding carries past the largest number.
; Changes A; leaves A = 0.
FROUND: lda     FACX
        bpl     @clr
        lda     FACEXP
        beq     @clr
        inc     FACM+2
        bne     @clr
        inc     FACM+1
        bne     @clr
        inc     FACM
        bne     @clr
        lda     #$80            ; the mantissa carried out: 1.0 x 2^e
        sta     FACM
        inc     FACEXP
        beq     OVERFL
@clr:   lda     #0
        sta     FACX
        rts

; FZERO: FAC <- 0 (never -0). Changes A; leaves A = 0 and Z set.
FZERO:  lda     #0
        sta     FACEXP
        sta     FACSGN
        sta     FACX
        rts

; FONE: FAC <- 1. Changes A, Y.
FONE:   lda     #<KONE
        ldy     #>KONE
        jmp     FLDFAC

OVERFL: ldx     #ERR_OV
        jmp     ERROR
FPFC:   ldx     #ERR_FC
        jmp     ERROR

; SETEXP: FACEXP <- the exponent X (high) A (low), from a computation that
; can leave 0..255 (X = 0), below (X = $FF: the result is 0) or above
; (X = 1: overflow error). Changes A.
SETEXP: cpx     #0
        bne     @out
        sta     FACEXP
        tax
        beq     FZERO
        rts
@out:   bmi     FZERO
        bpl     OVERFL

; NORM: normalises FAC's 32-bit mantissa (FACM..FACX), lowering FACEXP; a
; zero mantissa or an exponent that falls below 1 gives 0. Changes A.
NORM:   lda     FACM
        ora     FACM+1
        ora     FACM+2
        ora     FACX
        beq     @zero
        lda     FACM
        bmi     @done
@bit:   dec     FACEXP
        beq     @zero
        asl     FACX
        rol     FACM+2
        rol     FACM+1
        rol     FACM
        bpl     @bit
@done:  rts
@zero:  jmp     FZERO

; ---------------------------------------------------------------- + -

; FSUBM: FAC <- the packed number at (A,Y) minus FAC.
FSUBM:  jsr     FLDARG
; FSUB: FAC <- ARG - FAC.
FSUB:   lda     FACSGN
        eor     #$80
        sta     FACSGN
        jmp     FADD

; FADDM: FAC <- the packed number at (A,Y) plus FAC.
FADDM:  jsr     FLDARG
; FADD: FAC <- ARG + FAC. The operand with the smaller exponent is shifted
; right into 8 guard bits; what falls below them only matters to a
; subtraction, which then borrows one more, so the result is the exact
; difference truncated.
FADD:   jsr     FROUND
        lda     ARGEXP
        bne     :+
        rts
:       lda     FACEXP
        bne     :+
        jmp     ARGFAC
:       sec
        sbc     ARGEXP
        bcs     AddAlign
        ldx     #3              ; ARG is larger: exchange the two
:       ldy     FACEXP,x
        lda     ARGEXP,x
        sta     FACEXP,x
        sty     ARGEXP,x
        dex
        bpl     :-
        ldy     FACSGN
        lda     ARGSGN
        sta     FACSGN
        sty     ARGSGN
        lda     FACEXP
        sec
        sbc     ARGEXP
AddAlign:                       ; A = FACEXP - ARGEXP
        ldx     #0
        stx     ARGX
        stx     ARGX2
        tay
        and     #7
        beq     @bytes
        tax
@bit:   lsr     ARGM
        ror     ARGM+1
        ror     ARGM+2
        ror     ARGX
        ror     ARGX2
        dex
        bne     @bit
@bytes: tya
        lsr
        lsr
        lsr
        beq     AddOp
        tax
@byte:  lda     ARGX
        ora     ARGX2
        sta     ARGX2
        lda     ARGM+2
        sta     ARGX
        lda     ARGM+1
        sta     ARGM+2
        lda     ARGM
        sta     ARGM+1
        lda     #0
        sta     ARGM
        dex
        bne     @byte
AddOp:  lda     FACSGN
        eor     ARGSGN
        bmi     @sub
        lda     ARGX
        sta     FACX
        clc
        lda     FACM+2
        adc     ARGM+2
        sta     FACM+2
        lda     FACM+1
        adc     ARGM+1
        sta     FACM+1
        lda     FACM
        adc     ARGM
        sta     FACM
        bcc     AddRet
        ror     FACM
        ror     FACM+1
        ror     FACM+2
        ror     FACX
        inc     FACEXP
        bne     AddRet
        jmp     OVERFL
@sub:   lda     #0
        cmp     ARGX2           ; carry clear (one more borrow) if bits
        sbc     ARGX            ; were lost below the guard byte
        sta     FACX
        lda     FACM+2
        sbc     ARGM+2
        sta     FACM+2
        lda     FACM+1
        sbc     ARGM+1
        sta     FACM+1
        lda     FACM
        sbc     ARGM
        sta     FACM
        bcs     @norm
        lda     FACSGN          ; |ARG| > |FAC| (same exponent): negate
        eor     #$80
        sta     FACSGN
        ldx     #3
        sec
:       lda     #0
        sbc     FACM,x
        sta     FACM,x
        dex
        bpl     :-
@norm:  jmp     NORM
AddRet: rts

; ---------------------------------------------------------------- * /

; FMULM: FAC <- the packed number at (A,Y) times FAC.
FMULM:  jsr     FLDARG
; FMUL: FAC <- ARG * FAC. Shift and add: FAC's mantissa, the multiplier,
; fills the low half of a 48-bit register that shifts right as ARG's
; mantissa is added into its high half. The product is exact; FAC keeps
; its top 32 bits.
FMUL:   jsr     FROUND
        lda     FACEXP
        beq     @zero
        lda     ARGEXP
        bne     :+
@zero:  jmp     FZERO
:       ldx     #2
:       lda     FACM,x
        sta     RES+3,x
        lda     #0
        sta     RES,x
        dex
        bpl     :-
        ldx     #24
@bit:   lda     RES+5
        lsr
        bcc     @shift
        clc
        lda     RES+2
        adc     ARGM+2
        sta     RES+2
        lda     RES+1
        adc     ARGM+1
        sta     RES+1
        lda     RES
        adc     ARGM
        sta     RES
@shift: ror     RES
        ror     RES+1
        ror     RES+2
        ror     RES+3
        ror     RES+4
        ror     RES+5
        dex
        bne     @bit
        lda     FACSGN
        eor     ARGSGN
        sta     FACSGN
        lda     RES
        bmi     @top
        asl     RES+4           ; product below 1/2: one bit left
        rol     RES+3
        rol     RES+2
        rol     RES+1
        rol     RES             ; carry clear: exponent one lower
        bcc     @exp
@top:   sec
@exp:   lda     RES
        sta     FACM
        lda     RES+1
        sta     FACM+1
        lda     RES+2
        sta     FACM+2
        lda     RES+3
        sta     FACX
        lda     FACEXP          ; FACEXP + ARGEXP - $81 + carry
        adc     ARGEXP
        ldx     #0
        bcc     :+
        inx
:       sec
        sbc     #$81
        bcs     :+
        dex
:       jmp     SETEXP

; FDIVM: FAC <- the packed number at (A,Y) divided by FAC.
FDIVM:  jsr     FLDARG
; FDIV: FAC <- ARG / FAC. Restoring division of the mantissas, 32 quotient
; bits: the first is 1 when the quotient is 1 or more; the next 24 make
; the mantissa, the next the rounding bit (bit 7 of FACX).
FDIV:   jsr     FROUND
        lda     FACEXP
        bne     :+
        ldx     #ERR_DZ
        jmp     ERROR
:       lda     ARGEXP
        bne     :+
        jmp     FZERO
:       lda     FACSGN
        eor     ARGSGN
        sta     FACSGN
        ldx     #2
:       lda     ARGM,x          ; remainder <- dividend, ARGM <- divisor
        sta     RES,x
        lda     FACM,x
        sta     ARGM,x
        dex
        bpl     :-
        inx
        lda     #1              ; sentinel: a byte is done when it
        sta     QBYTE           ; leaves QBYTE
        clc                     ; carry: the remainder's 25th bit
@bit:   bcs     @sub
        lda     RES
        cmp     ARGM
        bcc     @zero
        bne     @sub
        lda     RES+1
        cmp     ARGM+1
        bcc     @zero
        bne     @sub
        lda     RES+2
        cmp     ARGM+2
        bcc     @zero
@sub:   lda     RES+2
        sbc     ARGM+2
        sta     RES+2
        lda     RES+1
        sbc     ARGM+1
        sta     RES+1
        lda     RES
        sbc     ARGM
        sta     RES
        sec
@zero:  rol     QBYTE
        bcs     @done
@shift: asl     RES+2
        rol     RES+1
        rol     RES
        jmp     @bit
@done:  lda     QBYTE           ; quotient bytes go to FACM..FACX
        sta     FACM,x
        inx
        lda     #1
        sta     QBYTE
        cpx     #4
        bne     @shift
        lda     FACM
        asl                     ; carry: the quotient is 1 or more
        bcs     :+
        asl     FACX
        rol     FACM+2
        rol     FACM+1
        rol     FACM            ; carry clear
:       lda     ARGEXP          ; exponent ARGEXP - FACEXP + $80 + carry
        adc     #$80
        ldx     #0
        bcc     :+
        inx
:       sec
        sbc     FACEXP
        bcs     :+
        dex
:       jmp     SETEXP

; ---------------------------------------------------------------- compare

; FCMPM: A <- the sign of FAC minus the packed number at (A,Y): $FF, 0 or
; 1, Z set when equal.
FCMPM:  jsr     FLDARG
        jsr     FCMP
        eor     #$FF
        clc
        adc     #1
        rts

; FCMP: A <- the sign of ARG - FAC: $FF, 0 or 1 (Z set when equal). FAC is
; rounded first, so it compares as it would be stored.
FCMP:   jsr     FROUND
        lda     FACEXP
        bne     @f
        lda     ARGEXP
        beq     @ret
        lda     ARGSGN
        jmp     SGNA
@f:     lda     ARGEXP
        bne     @both
        lda     FACSGN
        eor     #$80
        jmp     SGNA
@both:  lda     ARGSGN
        eor     FACSGN
        bmi     @arg
        lda     ARGEXP
        cmp     FACEXP
        bne     @ne
        lda     ARGM
        cmp     FACM
        bne     @ne
        lda     ARGM+1
        cmp     FACM+1
        bne     @ne
        lda     ARGM+2
        cmp     FACM+2
        bne     @ne
        lda     #0
@ret:   rts
@ne:    lda     #0              ; carry: |ARG| > |FAC|
        ror
        eor     ARGSGN
        eor     #$80            ; bit 7: the difference is negative
        jmp     SGNA
@arg:   lda     ARGSGN
; SGNA: A <- $FF when bit 7 of A is set, else 1.
SGNA:   asl
        lda     #1
        bcc     :+
        lda     #$FF
:       rts

; FSIGN: A <- the sign of FAC: $FF, 0 or 1. FAC unchanged.
FSIGN:  lda     FACEXP
        beq     :+
        lda     FACSGN
        jmp     SGNA
:       rts

; FNEG: FAC <- -FAC (0 stays 0).
FNEG:   lda     FACEXP
        beq     :+
        lda     FACSGN
        eor     #$80
        sta     FACSGN
:       rts

; FABS: FAC <- |FAC|.
FABS:   lda     #0
        sta     FACSGN
        rts

; FSGN: FAC <- SGN(FAC): -1, 0 or 1.
FSGN:   jsr     FSIGN
        tay
        lda     #0
        cpy     #$80
        bcc     :+
        lda     #$FF
:       jmp     FFLT16

; ---------------------------------------------------------------- integers

; FFLTU8: FAC <- the unsigned integer A.
FFLTU8: tay
        lda     #0
; FFLTU16: FAC <- the unsigned integer A (high) Y (low).
FFLTU16: ldx    #0
        beq     Flt16
; FFLT16: FAC <- the signed integer A (high) Y (low).
FFLT16: ldx     #0
        cmp     #$80
        bcc     Flt16
        sta     FPT0            ; negative: take the magnitude
        tya
        eor     #$FF
        clc
        adc     #1
        tay
        lda     FPT0
        eor     #$FF
        adc     #0
        ldx     #$80
Flt16:  stx     FACSGN
        sta     FACM
        sty     FACM+1
        lda     #0
        sta     FACM+2
        sta     FACX
        lda     #$90
        sta     FACEXP
        jmp     NORM

; FIXMAG: FPINT <- |FAC| truncated; carry set (FPINT 0) when |FAC| is
; 65536 or more. FAC is rounded first. Changes A, X.
FIXMAG: jsr     FROUND
        sta     FPINT
        sta     FPINT+1
        lda     FACEXP
        cmp     #$91
        bcs     @ret
        sbc     #$80            ; carry clear: A = FACEXP - $81
        bcc     @ret            ; below 1: 0
        eor     #$0F            ; shift count 16 - (FACEXP - $80)
        tax
        lda     FACM
        sta     FPINT+1
        lda     FACM+1
        sta     FPINT
        txa
        beq     @ok
:       lsr     FPINT+1
        ror     FPINT
        dex
        bne     :-
@ok:    clc
@ret:   rts

; FFIX16: FPINT, A (high) Y (low) <- FAC truncated towards 0; illegal
; function call outside -32768..32767.
FFIX16: jsr     FIXMAG
        bcs     FixFC
        lda     FACSGN
        bpl     @pos
        sec                     ; negative: -magnitude, which must come
        lda     #0              ; out negative, or 0 (-32768..0)
        sbc     FPINT
        sta     FPINT
        lda     #0
        sbc     FPINT+1
        sta     FPINT+1
        bmi     FixOut
        ora     FPINT
        beq     FixOut
        bne     FixFC
@pos:   lda     FPINT+1
        bpl     FixOut
FixFC:  jmp     FPFC

; FFIXU16: the same, unsigned: illegal function call outside 0..65535.
FFIXU16: jsr    FIXMAG
        bcs     FixFC
        lda     FACSGN
        bpl     FixOut
        lda     FPINT
        ora     FPINT+1
        bne     FixFC
FixOut: lda     FPINT+1
        ldy     FPINT
        rts

; FFIXU8: X and A <- FAC truncated towards 0; illegal function call outside
; 0..255.
FFIXU8: jsr     FFIXU16
        lda     FPINT+1
        bne     FixFC
        lda     FPINT
        tax
        rts

; FINT: FAC <- the largest integer not above FAC: 2^23 - (2^23 + |x|)
; is -|x| rounded to an integer, which is then moved one towards minus
; infinity when it went the wrong way. Leaves FPT1 non-zero when FAC had a
; fraction.
FINT:   jsr     FROUND
        sta     FPT1
        lda     FACEXP
        cmp     #$98
        bcs     @ret            ; 2^23 and above: an integer already
        lda     FACSGN
        sta     FISGN
        lda     #$80            ; -|x|
        sta     FACSGN
        jsr     FPRUN
        .byte   S_ST+O_T1, S_SUB+O_2P23, S_SUB+O_2P23, 0
        lda     #<T1
        ldy     #>T1
        jsr     FCMPM           ; the sign of |x| - r (r rounded)
        sta     FPT1
        bit     FISGN
        bpl     @pos
        jsr     FNEG            ; x < 0: r, and r+1 when |x| is above it
        lda     FPT1
        eor     #$FE            ; 1 -> $FF
        .byte   $2C             ; (skips the next instruction)
@pos:   lda     FPT1            ; x >= 0: r-1 when r is above x
        cmp     #$FF
        bne     :+
        jsr     FPRUN
        .byte   S_ADD+O_ONE, 0
:       jmp     FNEG
@ret:   rts

; ---------------------------------------------------------------- text in

; FIN: reads a number at FPPTR (see basic.inc). The digits are gathered in
; FAC as FAC*10 + digit (exact up to 2^24, rounded beyond), which is then
; scaled by exact powers of ten.
FIN:    ldy     #0
        sty     DEXP
        sty     EXP10
        sty     FINFLG
        sty     FINSGN
        sty     FPT1            ; bit 7: the exponent is negative
        jsr     FZERO
@blank: lda     (FPPTR),y
        iny
        cmp     #' '
        beq     @blank
        ldx     #FINSGN
        jsr     SIGNCH
        jmp     @char
@next:  lda     (FPPTR),y
        iny
@char:  cmp     #'.'
        bne     @digit
        bit     FINFLG
        bvs     @notd           ; a second point ends the number
        lda     FINFLG
        ora     #$40
        sta     FINFLG
        bne     @next
@digit: sec
        sbc     #'0'
        cmp     #10
        bcs     @notd
        sta     FQ
        lda     FINFLG
        ora     #$80
        sta     FINFLG
        bit     FINFLG
        bvc     :+
        dec     DEXP            ; a digit after the point
:       tya
        pha
        jsr     FPRUN           ; FAC = FAC*10 + the digit
        .byte   S_ST+O_T1, S_LD+O_TEN, S_MUL+O_T1, S_ST+O_T1, 0
        lda     FQ
        jsr     FFLTU8
        jsr     FPRUN
        .byte   S_ADD+O_T1, 0
        pla
        tay
        bne     @next
@notd:  cmp     #'E'-'0'
        bne     @end
        lda     (FPPTR),y       ; an E, an optional sign, digits (none:
        iny                     ; E0)
        ldx     #FPT1
        jsr     SIGNCH
        bne     @edig1
@edig:  tax
        lda     EXP10
        cmp     #10
        bcs     @ecap
        asl
        asl
        adc     EXP10
        asl
        sta     EXP10
        txa
        adc     EXP10
        bcc     @estor
@ecap:  lda     #100            ; far out of range already
@estor: sta     EXP10
        lda     (FPPTR),y
        iny
@edig1: sec
        sbc     #'0'
        cmp     #10
        bcc     @edig
@end:   dey                     ; Y: the first character not used
        lda     FINFLG
        bne     @some
        jsr     FZERO
        sec
        rts
@some:  tya
        clc
        adc     FPPTR
        sta     FPPTR
        bcc     :+
        inc     FPPTR+1
:       lda     EXP10
        bit     FPT1
        bpl     :+
        eor     #$FF
        clc
        adc     #1
:       clc
        adc     DEXP
        bvc     :+
        lda     #$7F            ; beyond a byte: far out of range
        bcc     :+
        lda     #$80
:       jsr     SCALE10
        lda     FINSGN
        sta     FACSGN
        clc
        rts

; SCALE10: FAC <- FAC * 10^A (A a signed byte), multiplying or dividing by
; exact powers of ten, at most 10^10 at a time.
SCALE10: sta    SCNT
@loop:  lda     SCNT
        beq     @ret
        bpl     :+
        eor     #$FF            ; |SCNT|
        clc
        adc     #1
:       cmp     #11             ; at most 10 at a time
        bcc     :+
        lda     #10
:       tax
        bit     SCNT
        bmi     @div
        eor     #$FF            ; SCNT - k
        sec
        adc     SCNT
        sta     SCNT
        txa
        jsr     TENPTR
        jsr     FMULM
        jmp     @loop
@div:   pha
        clc                     ; SCNT + k
        adc     SCNT
        sta     SCNT
        jsr     FTOARG
        pla
        jsr     TENPTR
        jsr     FLDFAC
        jsr     FDIV
        jmp     @loop
@ret:   rts

; TENPTR: A (low) Y (high) <- the address of 10^A, A = 1..10.
TENPTR: asl
        asl
        adc     #<(PTEN-4)
        ldy     #>(PTEN-4)
        bcc     :+
        iny
:       rts

; SIGNCH: for A = '-' or '+' (FIN's sign): sets bit 7 of the zero-page
; byte at X for '-', and reads the next character at FPPTR,Y into A.
SIGNCH: cmp     #'-'
        bne     :+
        ror     0,x             ; carry set by the comparison
        bne     @next
:       cmp     #'+'
        bne     @ret
@next:  lda     (FPPTR),y
        iny
@ret:   rts

; MUL8: A (high) X (low) <- A * Y. Changes FPT0, FPT1.
MUL8:   sta     FPT0
        sty     FPT1
        lda     #0
        ldx     #8
        lsr     FPT1
@bit:   bcc     :+
        clc
        adc     FPT0
:       ror
        ror     FPT1
        dex
        bne     @bit
        ldx     FPT1
        rts

; ---------------------------------------------------------------- text out

; FOUT: FOUTBUF <- FAC as text (see basic.inc). The number is scaled by a
; power of ten into 100000..999999 and rounded to an integer there, whose
; six digits are then laid out plainly from .01 to 999999, otherwise as
; d.ddddE+dd.
FOUT:   jsr     FROUND
        ldy     #' '
        lda     FACEXP
        bne     @nz
        sty     FOUTBUF
        lda     #'0'
        sta     FOUTBUF+1
        lda     #0
        sta     FOUTBUF+2
        jmp     @buf
@nz:    lda     FACSGN
        bpl     :+
        ldy     #'-'
:       sty     FOUTBUF
        jsr     FABS
        jsr     FPRUN
        .byte   S_ST+O_T1, 0
        lda     FACEXP          ; a lower bound of the decimal exponent,
        sec                     ; log10(2^(e-1)), at most one too low:
        sbc     #1              ; 77/256 ~ log10(2)
        ldy     #77
        jsr     MUL8
        cpx     #$80            ; less 128*77
        sbc     #$26
        sta     FDEC
@try:   jsr     FPRUN
        .byte   S_LD+O_T1, 0
        lda     #5
        sec
        sbc     FDEC
        jsr     SCALE10         ; 10^5 .. 10^7: below 2^24
        lda     #$98            ; to an integer: shift right, rounding
        sec                     ; by the last bit shifted out (all 32
        sbc     FACEXP          ; bits of the scaled number count)
        tax
        beq     @s0
:       lsr     FACM
        ror     FACM+1
        ror     FACM+2
        dex
        bne     :-
        beq     @rnd
@s0:    lda     FACX
        asl
@rnd:   lda     FACM+2
        adc     #0
        sta     FACM+2
        lda     FACM+1
        adc     #0
        sta     FACM+1
        lda     FACM
        adc     #0
        sta     FACM
        ldx     #0              ; seven digits, the first for 10^6
@dl:    lda     #'0'
        sta     DIGITS-1,x
@ds:    sec
        lda     FACM+2
        sbc     P10L,x
        sta     FPT0
        lda     FACM+1
        sbc     P10M,x
        tay
        lda     FACM
        sbc     P10H,x
        bcc     @dn
        sta     FACM
        sty     FACM+1
        lda     FPT0
        sta     FACM+2
        inc     DIGITS-1,x
        bne     @ds
@dn:    inx
        cpx     #6
        bne     @dl
        lda     FACM+2
        ora     #'0'
        sta     DIGITS+5
        lda     DIGITS-1        ; 1000000 or more: one decade up
        cmp     #'0'
        bne     @big
        lda     DIGITS          ; below 100000: one decade down
        cmp     #'0'
        bne     @six
        dec     FDEC
        jmp     @try
@big:   inc     FDEC
        jmp     @try
@six:
        ldx     #5              ; LAST: the last digit that is not 0
:       lda     DIGITS,x
        cmp     #'0'
        bne     :+
        dex
        bne     :-
:       stx     LAST
        ldy     #1
        lda     FDEC            ; plain from .01 (d = -2) to 999999 (5)
        clc
        adc     #2
        cmp     #8
        php                     ; carry set: E notation
        lda     #0              ; the point after digit 0
        bcs     @lay
        lda     FDEC
        bpl     @lay            ; the point after digit d
        lda     #'.'            ; .ddd or .0ddd: no point among the digits
        sta     FOUTBUF,y
        iny
        lda     FDEC
        cmp     #$FF
        beq     :+
        lda     #'0'
        sta     FOUTBUF,y
        iny
:       lda     #$FF
@lay:   sta     FPT0             ; the digit the point follows
        ldx     LAST            ; the last digit to write: P or LAST
        cmp     LAST
        bcc     :+
        cmp     #6
        bcs     :+
        tax
:       stx     FPT1
        ldx     #0
@dig:   lda     DIGITS,x
        sta     FOUTBUF,y
        iny
        cpx     FPT0
        bne     :+
        cpx     LAST
        bcs     :+
        lda     #'.'
        sta     FOUTBUF,y
        iny
:       cpx     FPT1
        inx
        bcc     @dig
        plp
        bcc     @fin
        lda     #'E'
        sta     FOUTBUF,y
        iny
        ldx     #'+'
        lda     FDEC
        bpl     :+
        eor     #$FF
        clc
        adc     #1
        ldx     #'-'
:       pha
        txa
        sta     FOUTBUF,y
        iny
        pla
        ldx     #'0'
:       cmp     #10
        bcc     :+
        sbc     #10
        inx
        bne     :-
:       pha
        txa
        sta     FOUTBUF,y
        iny
        pla
        ora     #'0'
        sta     FOUTBUF,y
        iny
@fin:   lda     #0
        sta     FOUTBUF,y
@buf:   lda     #<FOUTBUF
        ldy     #>FOUTBUF
        rts

; ---------------------------------------------------------------- helpers

; POLY: FAC <- the polynomial at (A,Y) of the packed number at T2: a count
; n, then n+1 packed coefficients, the highest power's first (Horner).
POLY:   sta     CPTR
        sty     CPTR+1
        ldy     #0
        lda     (CPTR),y
        sta     PCNT
        inc     CPTR
        bne     :+
        inc     CPTR+1
:       lda     CPTR
        ldy     CPTR+1
        jsr     FLDFAC
@loop:  lda     CPTR
        clc
        adc     #4
        sta     CPTR
        bcc     :+
        inc     CPTR+1
:       lda     #<T2
        ldy     #>T2
        jsr     FMULM
        lda     CPTR
        ldy     CPTR+1
        jsr     FADDM
        dec     PCNT
        bne     @loop
        rts

; FHALF: FAC <- FAC / 2.
FHALF:  lda     FACEXP
        beq     :+
        dec     FACEXP
:       rts

; SQUARE: FAC <- FAC * FAC.
SQUARE: jsr     FTOARG
        jmp     FMUL

; ---------------------------------------------------------------- functions

; FSQR: FAC <- the square root of FAC; illegal function call below 0.
; Newton's iteration y = (y + x/y)/2 from y = x with its exponent halved
; (within a factor sqrt 2): four steps reach the last bit.
FSQR:   jsr     FROUND
        lda     FACEXP
        beq     @ret
        lda     FACSGN
        bpl     :+
        jmp     FPFC
:       jsr     FPRUN
        .byte   S_ST+O_T1, 0
        lda     FACEXP
        clc
        adc     #$81
        ror
        sta     FACEXP
        lda     #4
        sta     PCNT
@loop:  jsr     FPRUN
        .byte   S_ST+O_T2, S_DIV+O_T1, S_ADD+O_T2, S_HALF, 0
        dec     PCNT
        bne     @loop
@ret:   rts

; The other functions live in the System ROM's spare space ($F800), which the
; BASIC build fills; they are reached only through their entry points.
        .segment "HICODE"

; FLOG: FAC <- the natural logarithm of FAC; illegal function call for 0
; or less. x = 2^e m with m in [0.707, 1.414); ln m = u L(u^2) with
; u = (1-m)/(1+m); ln x = ln m + e ln 2.
FLOG:   jsr     FROUND
        lda     FACSGN
        bmi     @fc
        lda     FACEXP
        bne     :+
@fc:    jmp     FPFC
:       sec
        sbc     #$80
        tax                     ; e
        lda     #$80
        ldy     FACM            ; mantissa below $B5/256, about sqrt(1/2)?
        cpy     #$B5
        bcs     @high
        dex
        lda     #$81
@high:  sta     FACEXP
        stx     FQ
        jsr     FPRUN           ; u = (1-m)/(1+m), 1-m exact; u L(u^2)
        .byte   S_ST+O_T1, S_SUB+O_ONE, S_ST+O_T2, S_LD+O_T1, S_ADD+O_ONE
        .byte   S_DIV+O_T2, S_ST+O_T1, S_SQR, S_ST+O_T2, S_POLY+O_PLOG
        .byte   S_MUL+O_T1, 0
        jsr     FPRUN
        .byte   S_ST+O_T1, 0
        ldy     FQ
        lda     #0
        cpy     #$80
        bcc     :+
        lda     #$FF
:       jsr     FFLT16
        jsr     FPRUN
        .byte   S_MUL+O_LN2, S_ADD+O_T1, 0
        rts

; FEXP: FAC <- e^FAC. n = INT(x log2(e) + 1/2), r = x - n ln2 (ln2 in two
; parts, the first short enough that n times it is exact), e^x = 2^n E(r).
; Overflow error above about 88.7; 0 below about -89.4.
FEXP:   jsr     FROUND
        lda     FACEXP
        cmp     #$88
        bcc     @red
        lda     FACSGN          ; |x| >= 128
        bmi     :+
        jmp     OVERFL
:       jmp     FZERO
@red:   jsr     FPRUN
        .byte   S_ST+O_T2, S_MUL+O_LOG2E, S_ADD+O_HALF, S_INT, S_ST+O_T1, 0
        jsr     FFIX16          ; n, -185..185, in FPINT
        jsr     FPRUN
        .byte   S_MUL+O_L1, S_SUB+O_T2, S_ST+O_T2, S_LD+O_T1, S_MUL+O_L2
        .byte   S_SUB+O_T2, S_ST+O_T2, S_POLY+O_PEXP, 0
        lda     FACEXP          ; times 2^n
        clc
        adc     FPINT
        ldx     FPINT+1
        bcc     :+
        inx
:       jmp     SETEXP

; FSIN, FCOS: FAC <- the sine or cosine of FAC (radians). n = INT(x 2/pi +
; 1/2), r = x - n pi/2 (pi/2 in two parts, the first short enough that n
; times it is exact up to n = 4095), then by the quadrant n: +-sin r or
; +-cos r = sin(pi/2 - |r|), with sin t = t S(t^2) for |t| <= pi/2.
FCOS:   lda     #1              ; cos x = sin(|x| + pi/2)
        ldx     #0
        beq     Trig
FSIN:   lda     #0
        ldx     FACSGN          ; odd
Trig:   sta     FQ              ; the quadrant to add
        stx     FFLG            ; bit 7: negate the result
        jsr     FROUND
        sta     FACSGN
        lda     FACEXP          ; from 2^23 on no bit is left below the
        cmp     #$98            ; period: taken as 0 (and never beyond
        bcc     :+              ; the range)
        jsr     FZERO
:       jsr     FPRUN
        .byte   S_ST+O_T2, S_MUL+O_2OPI, S_ADD+O_HALF, S_INT, S_ST+O_T1, 0
        jsr     FIXMAG          ; the quadrant (0 past 65535)
        lda     FPINT
        clc
        adc     FQ
        sta     FQ
        jsr     FPRUN
        .byte   S_MUL+O_P1, S_SUB+O_T2, S_ST+O_T2, S_LD+O_T1, S_MUL+O_P2
        .byte   S_SUB+O_T2, 0
        lda     FQ
        lsr
        bcc     :+
        jsr     FPRUN           ; an odd quadrant: cos r = sin(pi/2 - |r|)
        .byte   S_ABS, S_SUB+O_PI2, 0
:       jsr     FPRUN
        .byte   S_ST+O_T1, S_SQR, S_ST+O_T2, S_POLY+O_PSIN, S_MUL+O_T1, 0
        lda     FQ              ; quadrants 2 and 3 are negative
        and     #2
        beq     :+
        lda     #$80
:       eor     FFLG
        and     #$80
        eor     FACSGN
        sta     FACSGN
        rts

; FTAN: FAC <- the tangent of FAC: sin x / cos x.
FTAN:   jsr     FPRUN
        .byte   S_ST+O_T3, S_SIN, S_ST+O_T4, S_LD+O_T3, S_COS, S_DIV+O_T4, 0
        rts

; FATN: FAC <- the arctangent of FAC (radians): u A(u^2) for |u| <= 1,
; and pi/2 - atn(1/x) above.
FATN:   jsr     FROUND
        lda     FACSGN
        sta     FFLG
        jsr     FABS
        sta     FQ              ; bit 7: 1/x taken
        lda     FACEXP
        cmp     #$81
        bcc     :+
        jsr     FPRUN
        .byte   S_DIV+O_ONE, 0
        dec     FQ
:       jsr     FPRUN
        .byte   S_ST+O_T1, S_SQR, S_ST+O_T2, S_POLY+O_PATN, S_MUL+O_T1, 0
        bit     FQ
        bpl     :+
        jsr     FPRUN
        .byte   S_SUB+O_PI2, 0
:       lda     FFLG
        and     #$80
        sta     FACSGN
        rts

; FPOW: FAC <- ARG ^ FAC. An integer power below 256 is a chain of
; squarings and multiplications (exact where the result fits: 3^2 = 9,
; K^2 is one multiplication); a negative one uses the powers of 1/x. Any
; other power is e^(y ln |x|), negative for a negative x and an odd y; a
; negative x with a y that is not an integer is an illegal function call.
; 0^0 = 1; 0 to a negative power is a division by zero.
FPOW:   jsr     FROUND
        lda     FACEXP
        bne     :+
        jmp     FONE
:       lda     ARGEXP
        bne     @x
        lda     FACSGN
        bmi     :+
        jmp     FZERO
:       ldx     #ERR_DZ
        jmp     ERROR
@x:     jsr     FPRUN           ; T4 = y, T3 = x, FAC = y, an integer?
        .byte   S_ST+O_T4, S_ARGF, S_ST+O_T3, S_LD+O_T4, S_INT, 0
        lda     #0
        sta     PSGN
        lda     FPT1
        beq     @intg
        lda     T3+1            ; not an integer: x must be positive
        bpl     @log
        jmp     FPFC
@intg:  jsr     FIXMAG
        bcs     :+
        lda     FPINT+1
        beq     @mul
:       lda     T3+1            ; 256 and above: for a negative x, odd?
        bpl     @log
        jsr     FPRUN
        .byte   S_LD+O_T4, S_HALF, S_INT, 0
        lda     FPT1
        beq     @log
        lda     #$80
        sta     PSGN
@log:   jsr     FPRUN
        .byte   S_LD+O_T3, S_ABS, S_LOG, S_MUL+O_T4, S_EXP, 0
        lda     PSGN
        sta     FACSGN
        rts
@mul:   lda     FACSGN
        bpl     :+
        jsr     FPRUN           ; a negative power: the base 1/x
        .byte   S_LD+O_T3, S_DIV+O_ONE, S_ST+O_T3, 0
:       jsr     FPRUN
        .byte   S_LD+O_T3, 0
        ldx     #8
:       dex
        asl     FPINT
        bcc     :-
        stx     PCNT            ; the bits below the leading 1
@sq:    dec     PCNT
        bmi     @ret
        jsr     SQUARE
        asl     FPINT
        bcc     @sq
        jsr     FPRUN
        .byte   S_MUL+O_T3, 0
        jmp     @sq
@ret:   rts

        .segment "CODE"

; FPRUN: runs the arithmetic steps in the bytes that follow its JSR, then
; returns after them. A step is one byte: 0 ends the steps; 1..31 calls
; native routine n (NATLO/NATHI); $20 r + k (r = 1..7) calls routine r
; (OPRLO/OPRHI) with the address of operand k (OPNLO/OPNHI) in A and X
; (low) and Y (high). The step pointer is kept on the stack across each
; call, so the routines may run steps of their own.
FPRUN:  pla
        sta     SPTR
        pla
        sta     SPTR+1
@step:  inc     SPTR
        bne     :+
        inc     SPTR+1
:       lda     SPTR+1
        pha
        lda     SPTR
        pha
        ldy     #0
        lda     (SPTR),y
        bne     :+
        rts                     ; 0: return after the steps
:       tax
        and     #$E0
        bne     @opnd
        lda     NATLO-1,x       ; 1..31: a native routine
        sta     FPJV
        lda     NATHI-1,x
        sta     FPJV+1
        bne     @call           ; (never 0)
@opnd:  lsr
        lsr
        lsr
        lsr
        lsr
        tay
        lda     OPRLO-1,y
        sta     FPJV
        lda     OPRHI-1,y
        sta     FPJV+1
        txa
        and     #$1F
        tax
        lda     OPNHI,x
        tay
        lda     OPNLO,x
        tax
@call:  jsr     @go
        pla
        sta     SPTR
        pla
        sta     SPTR+1
        jmp     @step
@go:    jmp     (FPJV)

S_SQR   = 1                     ; the native routines
S_SIN   = 2
S_COS   = 3
S_LOG   = 4
S_EXP   = 5
S_ABS   = 6
S_ARGF  = 7
S_INT   = 8
S_HALF  = 9
NATLO:  .lobytes SQUARE, FSIN, FCOS, FLOG, FEXP, FABS, ARGFAC, FINT, FHALF
NATHI:  .hibytes SQUARE, FSIN, FCOS, FLOG, FEXP, FABS, ARGFAC, FINT, FHALF
S_LD    = $20                   ; the routines with an operand
S_ST    = $40
S_ADD   = $60
S_SUB   = $80
S_MUL   = $A0
S_DIV   = $C0
S_POLY  = $E0
OPRLO:  .lobytes FLDFAC, FSTFAC, FADDM, FSUBM, FMULM, FDIVM, POLY
OPRHI:  .hibytes FLDFAC, FSTFAC, FADDM, FSUBM, FMULM, FDIVM, POLY
O_T1    = 0                     ; the operands
O_T2    = 1
O_T3    = 2
O_T4    = 3
O_ONE   = 4
O_HALF  = 5
O_2P23  = 6
O_LN2   = 7
O_LOG2E = 8
O_L1    = 9
O_L2    = 10
O_2OPI  = 11
O_P1    = 12
O_P2    = 13
O_PI2   = 14
O_PSIN  = 15
O_PEXP  = 16
O_PLOG  = 17
O_PATN  = 18
O_TEN   = 19
OPNLO:  .lobytes T1, T2, T3, T4, KONE, KHALF, K2P23, KLN2
        .lobytes KLOG2E, KL1, KL2, K2OPI, KP1, KP2, KPI2
        .lobytes PSIN, PEXP, PLOG, PATN, PTEN
OPNHI:  .hibytes T1, T2, T3, T4, KONE, KHALF, K2P23, KLN2
        .hibytes KLOG2E, KL1, KL2, K2OPI, KP1, KP2, KPI2
        .hibytes PSIN, PEXP, PLOG, PATN, PTEN

; FRND: FAC <- RND(FAC) (see basic.inc). The generator is a 32-bit
; xorshift (period 2^32-1); a number is the whole state as a fraction,
; truncated to 24 bits, so 0 < RND < 1.
FRND:   lda     FACEXP
        beq     RndOut
        lda     FACSGN
        bpl     RndNext
        ldx     #3              ; a new sequence from the number's bytes
:       lda     FACEXP,x        ; (FACEXP is not 0: never the state 0)
        sta     RNDS,x
        dex
        bpl     :-
        jsr     XSTEP
        jsr     XSTEP
        jsr     XSTEP
RndNext: jsr    XSTEP
RndOut: ldx     #3
        ldy     #0
:       lda     RNDS,x
        sta     FACM,y
        iny
        dex
        bpl     :-
        lda     #$80
        sta     FACEXP
        jsr     FABS
        jsr     NORM
        lda     #0
        sta     FACX
        rts

; XSTEP: RNDS <- the next xorshift state: x ^= x<<13; x ^= x>>17;
; x ^= x<<5. Uses TROW (least significant byte first here).
XSTEP:  ldy     #13
        jsr     XSHL
        ldy     #17
        jsr     XCOPY
:       lsr     TROW+3
        ror     TROW+2
        ror     TROW+1
        ror     TROW
        dey
        bne     :-
        jsr     XXOR
        ldy     #5
XSHL:   jsr     XCOPY
:       asl     TROW
        rol     TROW+1
        rol     TROW+2
        rol     TROW+3
        dey
        bne     :-
XXOR:   ldx     #3
:       lda     RNDS,x
        eor     TROW,x
        sta     RNDS,x
        dex
        bpl     :-
        rts
XCOPY:  ldx     #3
:       lda     RNDS,x
        sta     TROW,x
        dex
        bpl     :-
        rts

; ---------------------------------------------------------------- constants

KONE:   .byte   $81,$00,$00,$00         ; 1
KHALF:  .byte   $80,$00,$00,$00         ; 1/2
K2P23:  .byte   $98,$00,$00,$00         ; 2^23
KLN2:   .byte   $80,$31,$72,$18         ; ln 2
KLOG2E: .byte   $81,$38,$AA,$3B         ; log2 e
KL1:    .byte   $80,$31,$70,$00         ; ln 2, its first 12 bits
KL2:    .byte   $72,$05,$FD,$F4         ; and the rest
K2OPI:  .byte   $80,$22,$F9,$83         ; 2/pi
KP1:    .byte   $81,$49,$00,$00         ; pi/2, its first 12 bits
KP2:    .byte   $75,$7D,$AA,$22         ; and the rest
KPI2:   .byte   $81,$49,$0F,$DB         ; pi/2

PTEN:   .byte   $84,$20,$00,$00         ; 10
        .byte   $87,$48,$00,$00         ; 100
        .byte   $8A,$7A,$00,$00         ; 1000
        .byte   $8E,$1C,$40,$00         ; 10^4
        .byte   $91,$43,$50,$00         ; 10^5
        .byte   $94,$74,$24,$00         ; 10^6
        .byte   $98,$18,$96,$80         ; 10^7
        .byte   $9B,$3E,$BC,$20         ; 10^8
        .byte   $9E,$6E,$6B,$28         ; 10^9
        .byte   $A2,$15,$02,$F9         ; 10^10

; 10^6, 10^5, 10^4, 1000, 100, 10 for FOUT's digits: low, middle, high
; bytes.
P10L:   .byte   $40,$A0,$10,$E8,$64,$0A
P10M:   .byte   $42,$86,$27,$03,$00,$00
P10H:   .byte   $0F,$01,$00,$00,$00,$00

; Polynomials (near-minimax for relative error, fitted offline): a count
; n, then n+1 coefficients, the highest power first.
; sin t = t S(t^2), |t| <= pi/2
PSIN:   .byte   4
        .byte   $6E,$2E,$9B,$09         ; 2.601826383e-06
        .byte   $74,$CF,$B2,$0B         ; -0.0001980738459
        .byte   $7A,$08,$87,$3D         ; 0.008333024669
        .byte   $7E,$AA,$AA,$A4         ; -0.1666665666
        .byte   $81,$00,$00,$00         ; 1
; e^r, |r| <= ln2/2
PEXP:   .byte   6
        .byte   $77,$35,$5C,$94         ; 0.001383679415
        .byte   $7A,$09,$36,$B3         ; 0.008374857275
        .byte   $7C,$2A,$AC,$4E         ; 0.04166822869
        .byte   $7E,$2A,$AA,$05         ; 0.1666641968
        .byte   $7F,$7F,$FF,$FD         ; 0.4999999206
        .byte   $81,$00,$00,$00         ; 1
        .byte   $81,$00,$00,$00         ; 1
; ln m = u L(u^2), u = (1-m)/(1+m), u^2 <= 0.0295
PLOG:   .byte   3
        .byte   $7F,$99,$38,$55         ; -0.2992579087
        .byte   $7F,$CC,$AB,$C2         ; -0.3997478981
        .byte   $80,$AA,$AA,$C4         ; -0.66666816
        .byte   $82,$80,$00,$00         ; -2
; atn u = u A(u^2), |u| <= 1
PATN:   .byte   8
        .byte   $78,$3A,$C5,$3B         ; 0.002849890519
        .byte   $7B,$83,$A2,$5F         ; -0.01606863626
        .byte   $7C,$2E,$DD,$53         ; 0.04269153818
        .byte   $7D,$99,$B0,$21         ; -0.07504296871
        .byte   $7D,$59,$ED,$26         ; 0.1064093557
        .byte   $7E,$91,$72,$01         ; -0.1420364502
        .byte   $7E,$4C,$B9,$74         ; 0.199926195
        .byte   $7F,$AA,$AA,$53         ; -0.3333307335
        .byte   $81,$00,$00,$00         ; 1
