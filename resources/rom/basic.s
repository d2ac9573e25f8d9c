; Tessaly BASIC (0xA000..0xBFFF, and segment HICODE in the System ROM's
; spare space at 0xF800): an interpreter of the BASIC dialect that the
; Challenger 1P's programs were written in.
;
; The program is kept tokenised. Every numeric constant is stored with a
; binary copy beside its text, so that running a program never converts
; numbers from text. LIST shows the text as it was typed.
;
; Files: basic.s (RAM, start-up, the ready loop, line input, output, errors,
; the statement loop), basic_edit.s (tokenising, storing and listing lines),
; basic_stmt.s (statements), basic_expr.s (expressions, variables, arrays,
; functions), basic_str.s (strings and reclaiming string space),
; basic_tab.s (keyword, dispatch and message tables). The arithmetic is
; fp.s, behind the interface of basic.inc.
;
; A stored line: [length][number lo][number hi][text][0]. The length counts
; every byte of the line; a length of 0 ends the program. In the text,
; keywords are the tokens $80..$BB, and a numeric constant is
;   [$01][packed value: 4 bytes][n][the n characters as typed].
; Everything else is text as typed: blanks, names, operators, strings.

        .setcpu "6502"
        .include "c1p.inc"
        .include "basic.inc"

; ---------------------------------------------------------------- RAM

ROOMN   = $00           ; ROOM: bytes asked for (2)
GAPN    = $02           ; OPENGAP, CLOSEGAP: size of the gap

; Zero page $06..$0C: fixed places that programs of the period use.
HLPFIX  = $06           ; address of FIXINT: FAC -> integer A (high), Y (low)
HLPFLT  = $08           ; address of FLTINT: integer A (high), Y (low) -> FAC
USRJMP  = $0A           ; a JMP opcode, followed by
USRADR  = $0B           ; the address of the USR routine (11 and 12)
CHRGET  = $0D           ; the text reader, copied from CHRCODE (14 bytes)
CHRGOT  = CHRGET+6      ; the same without advancing
TXTPTR  = CHRGET+7      ; the text pointer: the operand of CHRGOT's LDA

LINEPTR = $1B           ; the line being run (direct lines: CRBUF)
VARTAB  = $1D           ; simple variables: 6 bytes each, after the program
ARYTAB  = $1F           ; arrays, after the simple variables
STREND  = $21           ; end of the arrays
FRETOP  = $23           ; lowest byte in use of the string space
DATLP   = $25           ; READ: the line of the last DATA item
DATPTR  = $27           ; READ: the byte after the last DATA item read
PTRMODE = $2E           ; bit 7: PTRGET creates simple variables
DSCPTR  = $2F           ; a string value: address of its descriptor
VARPNT  = $31           ; address of a variable's value
NAME1   = $33           ; name of a variable: first character (bit 7: FN)
NAME2   = $34           ; second character or 0 (bit 7: string)
VALTYP  = $35           ; type of the last value: 0 number, $FF string
DIMFLG  = $36           ; bit 7: ARRAY dimensions a new array (DIM)
; (VARPNT, NAME1, NAME2 are copied together by FOR; NAME1..DIMFLG by ARRAY.)
INDEX   = $37           ; general pointers
INDEX2  = $39
LINNUM  = $3B           ; a line number
TERMX   = $3D           ; output column 0..31
CCCNT   = $3E           ; Ctrl-C is checked when this counts down to 0
TEMPPT  = $3F           ; offset of the first free temporary descriptor
STKLVL  = $40           ; stack pointer as the statement running started
INFLAG  = $42           ; non-zero while INPUT reads a line
TLEN    = $43           ; a string length
BJVEC    = $44           ; an address to JMP through
MSRC    = $46           ; block moves: source, destination, count
MDST    = $48
MCNT    = $4A
GCP     = $4C           ; reclaiming string space
GCT     = $4E
GCD     = $50
BTMP     = $52           ; 4 bytes of scratch
FORREC  = $56           ; FOR: its record as it goes on the stack (17 bytes)
; LIST, POKE, WAIT and tokenising use some of the same bytes (never at the
; same time).
PKADR   = $56           ; POKE, WAIT: the address
PKMASK  = $58           ; WAIT: the mask
PKXOR   = $59           ; WAIT: the pattern
LSTHI   = $62           ; LIST: last line number to show
CRX     = $64           ; tokenising: input index
CRY     = $65           ; tokenising: output index
CRMODE  = $66           ; tokenising: 0, TK_REM or TK_DATA
INNAME  = $68           ; tokenising: non-zero inside a name
STMTP   = $69           ; start of the statement (for CONT after a break)
INVARS  = $6B           ; INPUT: text pointer at its start (after the keyword)
INBUFP  = $6D           ; INPUT: index into BUF
ONCNT   = $6E           ; ON: count
ONTOK   = $6F           ; ON: GOTO or GOSUB
RETPT   = $70           ; GOSUB: the text pointer to return to
DSCTMP  = $72           ; a descriptor built in place (3 bytes)
FLDEND  = $75           ; ASGFLD: offset of the character ending a field
NSUB    = $76           ; ARRAY: number of subscripts
TPREC   = $77           ; expressions: precedence, operator, relation mask
TOP     = $78
TMASK   = $79
FNENT   = $7A           ; DEF: the function's entry
TLEN2   = $7C           ; ALLOC: length asked for
TSAVY   = $7D           ; a saved index
FLDCH   = $7F           ; ASGFLD: that character
TEMPST  = $80           ; temporary string descriptors, 3 bytes each
TEMPMAX = 8             ; ($80..$97)
LDSC    = $98           ; a left operand's string descriptor
GCO     = $9D           ; reclaiming: the descriptor of a block
GCB     = $03           ; reclaiming: address of the string found (2)

; Page 2 ($0230..$024F belong to the arithmetic).
BUF     = $0250         ; the line being typed, ended by 0
BUFLEN  = 174           ; characters a line may hold ($0250..$02FE)
BUFOVER = $02FF         ; bit 7 set: the line read had more characters

; The program from $0301 ($0300 holds 0: the end of a line before it).
TXTTAB  = $0301
; The tokenised line is built in the page below the arithmetic's tables;
; direct lines run from there. The string space ends below it.
CRBUF   = FP_RAMTOP - $100
MEMSIZ  = CRBUF
CRMAX   = 254           ; offset of the last byte a tokenised line may use

STKREC  = $50           ; FOR and GOSUB records leave this much stack free
STKEXP  = $40           ; expressions leave this much stack free
VALBUF  = $0100         ; VAL's copy of a string (below any stack in use)
VALMAX  = 32            ; the characters of a string VAL reads
CCINT   = 8             ; lines or NEXT loops between two Ctrl-C checks
ZONE    = 8             ; width of a print zone (4 zones on a 32-column row)

        .include "basic_tok.inc"

        .segment "CODE"

; ---------------------------------------------------------------- entries

        jmp     COLD            ; 0xA000: cold start
        jmp     WARM            ; 0xA003: warm start (keeps the program)

; Zero page from $06 at each start: the helpers' addresses, the USR jump
; (to FQERR until a program sets it), then the text reader: CHRGET advances
; TXTPTR and reads the character there, CHRGOT reads it again; both skip
; blanks. A is the character, carry clear when it is below $20 (end of line
; or a constant's marker). Changes nothing else.
ZPINIT: .addr   FIXINT, FLTINT
        .byte   $4C
        .addr   FQERR
CHRCODE:
        .byte   $E6, <TXTPTR            ; inc TXTPTR
        .byte   $D0, $02                ; bne CHRGOT
        .byte   $E6, <(TXTPTR+1)        ; inc TXTPTR+1
        .byte   $AD, $00, $00           ; CHRGOT: lda TXTPTR
        .byte   $C9, $20                ; cmp #' '
        .byte   $F0, $F3                ; beq CHRGET
        .byte   $60                     ; rts
ZPLEN   = * - ZPINIT

; Cold start: the arithmetic's tables, an empty program, the greeting with
; the free memory, then the ready prompt.
COLD:   cld
        ldx     #$FE            ; $01FF: the stack's bottom record
        txs
        jsr     INITZP
        jsr     FINIT
        jsr     SCRNEW
        lda     #GREET-MSGS
        jsr     PRTMSG
        lda     #<MEMSIZ
        sec
        sbc     VARTAB
        tay
        lda     #>MEMSIZ
        sbc     VARTAB+1
        jsr     PRTU16
        lda     #BYTESF-MSGS
        jsr     PRTMSG
        jmp     READY

; Warm start: keeps the program when it is sound (else starts a new one);
; the variables are cleared.
WARM:   cld
        ldx     #$FE
        txs
        jsr     INITZP
        jsr     FINIT
        jsr     PRGCHECK
        lda     #$0D
        jsr     OUTCH
        jmp     READY

; Sets up zero page for a start (ZPINIT), the output column and the
; stack's bottom record (the caller has set the stack pointer to $FE).
INITZP: ldx     #ZPLEN-1
@copy:  lda     ZPINIT,x
        sta     HLPFIX,x
        dex
        bpl     @copy
        lda     #0
        sta     TERMX
        sta     TEMPPT
        sta     $0300
        sta     $01FF           ; the stack's bottom record
        lda     #CCINT
        sta     CCCNT
        rts

; The helpers a USR routine reaches through $06 and $08.
FIXINT: jmp     FFIX16
FLTINT: jmp     FFLT16

; Finds the program's end after a reset (the lengths of its lines lead
; there) and sets VARTAB after it; a walk that leaves the program's memory
; empties it.
PRGCHECK:
        lda     #<TXTTAB
        ldx     #>TXTTAB
@line:  sta     INDEX
        stx     INDEX+1
        cpx     #>(MEMSIZ-$100)
        bcs     SCRNEW
        ldy     #0
        clc
        adc     (INDEX),y
        bcc     @same
        inx
@same:  cmp     INDEX
        bne     @line
        cpx     INDEX+1
        bne     @line
        jsr     INCIDX
        lda     INDEX
        sta     VARTAB
        lda     INDEX+1
        sta     VARTAB+1
        jmp     CLEARV

; Empties the program and clears the variables.
SCRNEW: lda     #0
        sta     TXTTAB
        lda     #<(TXTTAB+1)
        sta     VARTAB
        lda     #>(TXTTAB+1)
        sta     VARTAB+1
        ; fall through

; Clears the variables, arrays and strings, forgets CONT and sets READ
; back to the first DATA. Changes A.
CLEARV: lda     VARTAB
        sta     ARYTAB
        sta     STREND
        lda     VARTAB+1
        sta     ARYTAB+1
        sta     STREND+1
        lda     #<MEMSIZ
        sta     FRETOP
        lda     #>MEMSIZ
        sta     FRETOP+1
        lda     #0
        sta     TEMPPT
RESTOR: lda     #<(TXTTAB-1)
        sta     DATPTR
        lda     #>(TXTTAB-1)
        sta     DATPTR+1
        rts

; ---------------------------------------------------------------- ready loop

; Prints "OK" on a line of its own, then reads and runs lines.
READY:  jsr     CRIFNEED
        lda     #OKMSG-MSGS
        jsr     PRTMSG
; Reads a line: a line starting with a number is stored in the program (or
; deleted when nothing follows the number); any other is run at once.
MAIN:   lda     #0
        sta     TEMPPT
        sta     INFLAG
        sta     DIMFLG
        sta     SAVEFLG
        sta     BUFOVER
        sta     LINEPTR         ; the line buffer, as a direct line
        lda     #>CRBUF
        sta     LINEPTR+1
        sta     TXTPTR+1
        lda     #$FF
        sta     CRBUF+1
        sta     CRBUF+2
        jsr     INLINE
        ; A line cut short (typed past the end, or a listing on tape whose
        ; ? became PRINT) is refused, rather than stored or run as a part.
        bit     BUFOVER
        bpl     @whole
        jmp     LLERR
@whole: ldx     #0
@skip:  lda     BUF,x
        cmp     #' '
        bne     @first
        inx
        bne     @skip
@first: cmp     #0
        beq     MAIN
        cmp     #'0'
        bcc     @direct
        cmp     #'9'+1
        bcs     @direct
        jmp     EDLINE
@direct:
        jsr     CRUNCH
        lda     #<(CRBUF+2)
        sta     TXTPTR
        jmp     EXECST

; Reads a line into BUF, ended by 0, echoing it. Backspace and Delete rub
; out; other control characters and NUL bytes are ignored; Ctrl-C breaks
; the program while INPUT reads. Characters past BUFLEN are dropped and set
; bit 7 of BUFOVER. Gives X = the length.
INLINE: ldx     #0
@get:   jsr     ROM_INPUT
        and     #$7F
        cmp     #$0D
        beq     @done
        cmp     #$08
        beq     @rub
        cmp     #$03
        beq     @ctrlc
        cmp     #$20
        bcc     @get
        cpx     #BUFLEN
        bcs     @over
        sta     BUF,x
        inx
@echo:  jsr     OUTCH
        bne     @get            ; (A is not 0)
@rub:   txa
        beq     @get
        dex
        lda     #$08
        bne     @echo
@ctrlc: lda     INFLAG
        beq     @get
        jmp     STMTBRK
@over:  ror     BUFOVER         ; (carry set) the rest of the line is dropped
        bne     @get
@done:  lda     #0
        sta     BUF,x
        lda     #$0D
        jmp     OUTCH

; ---------------------------------------------------------------- output

; Writes the character in A, keeping the column: Return starts a new row,
; a printable character moves one column on (the screen wraps after 32).
; Preserves A, X and Y.
OUTCH:  jsr     ROM_OUTPUT
        pha
        cmp     #$0D
        beq     @cr
        cmp     #$20
        bcc     @done
        lda     TERMX           ; (carry set: + 1)
        adc     #0
        and     #ROWLEN-1
        .byte   $2C
@cr:    lda     #0
        sta     TERMX
@done:  pla
        rts

; Starts a new row unless the column is 0. Changes A.
CRIFNEED:
        lda     TERMX
        beq     CRRTS
CRDO:   lda     #$0D
        jmp     OUTCH
CRRTS:  rts

; Prints message A (its offset in MSGS), ended by 0. Changes A, X, Y.
PRTMSG: tax
        lda     #<MSGS
        ldy     #>MSGS
        bne     PRTZX

; Prints the string at A (low), Y (high), ended by 0. Changes A and Y.
PRTZ:   ldx     #0
PRTZX:  sta     BJVEC            ; (from offset X)
        sty     BJVEC+1
        txa
        tay
@loop:  lda     (BJVEC),y
        beq     CRRTS
        jsr     OUTCH
        iny
        bne     @loop
        rts

; Prints the unsigned number A (high), Y (low) without a leading blank.
PRTU16: jsr     FFLTU16
        jsr     FOUT
        ldx     #1              ; FOUT's text starts with a blank
        bne     PRTZX

; INDEX += 1. Changes A.
INCIDX: lda     #1
        ldx     #INDEX
; The address in zero page X += A. Changes A.
ADDZP:  clc
        adc     0,x
        sta     0,x
        bcc     @rts
        inc     1,x
@rts:   rts

; Prints " IN n" when a program line is running (LINEPTR). Changes A, X, Y.
PRTIN:  jsr     ISDIR
        beq     CRRTS
        pha
        lda     #INMSG-MSGS
        jsr     PRTMSG
        ldy     #1
        lda     (LINEPTR),y
        tay
        pla
        jmp     PRTU16

; ---------------------------------------------------------------- errors

SNERR:  ldx     #ERR_SN
        .byte   $2C             ; BIT abs: skips the next LDX
FQERR:  ldx     #ERR_FC
        .byte   $2C
OMERR:  ldx     #ERR_OM
        .byte   $2C
TMERR:  ldx     #ERR_TM
        .byte   $2C
ULERR:  ldx     #ERR_UL
        .byte   $2C
BSERR:  ldx     #ERR_BS
        .byte   $2C
IDERR:  ldx     #ERR_ID
        .byte   $2C
LSERR:  ldx     #ERR_LS
        .byte   $2C
STERR:  ldx     #ERR_ST
        .byte   $2C
NFERR:  ldx     #ERR_NF
        .byte   $2C
RGERR:  ldx     #ERR_RG
        .byte   $2C
CNERR:  ldx     #ERR_CN
        .byte   $2C
UFERR:  ldx     #ERR_UF
        .byte   $2C
DDERR:  ldx     #ERR_DD
        .byte   $2C
ODERR:  ldx     #ERR_OD
        .byte   $2C
LLERR:  ldx     #ERR_LL
        ; fall through

; Reports error X ("?SN ERROR IN 20"), forgets CONT, empties the stack
; and goes back to the ready prompt. Never returns.
ERROR:  jsr     CRIFNEED
        lda     #'?'
        jsr     OUTCH
        txa
        asl     a
        tax
        lda     ERRMSG,x
        jsr     OUTCH
        lda     ERRMSG+1,x
        jsr     OUTCH
        lda     #ERRWRD-MSGS
        jsr     PRTMSG
        jsr     PRTIN
        ldx     #$FE            ; the stack empties (CONT is not possible)
        txs
        jmp     READY

; ---------------------------------------------------------------- statements

; The statement loop. Handlers return here (RTS) with TXTPTR on the
; character after their statement, which must be ':' or the end of line.
NEWSTT: jsr     CHRGOT
        cmp     #':'
        beq     EXECST
        cmp     #0
        bne     @sn
        jsr     ISDIR           ; end of line: a direct line is done
        bne     NXTLIN
        jmp     READY
@sn:    jmp     SNERR
; TXTPTR is on the 0 before a line: run that line, or end the program.
NXTLIN: dec     CCCNT
        bne     @go
        jsr     CHKBRK
@go:    ldy     #1
        lda     (TXTPTR),y
        beq     ENDPRG
        lda     TXTPTR
        clc
        adc     #1
        sta     LINEPTR
        lda     TXTPTR+1
        adc     #0
        sta     LINEPTR+1
        lda     TXTPTR
        clc
        adc     #3
        sta     TXTPTR
        bcc     EXECST
        inc     TXTPTR+1
; Runs the statement after TXTPTR, noting where it starts for a break
; inside it (STMTBRK).
EXECST: lda     TXTPTR
        sta     STMTP
        lda     TXTPTR+1
        sta     STMTP+1
        jsr     CHRGET
; Runs the statement whose first character is A (carry as CHRGET left it).
; The handler is entered by RTS with NEWSTT as its return address and the
; character after the keyword read.
EXECCH: bcc     @ctl
        tsx
        stx     STKLVL
        tax
        lda     #>(NEWSTT-1)
        pha
        lda     #<(NEWSTT-1)
        pha
        txa
        bpl     @let
        cmp     #TK_NEW+1
        bcs     @ctl
        asl     a
        tay
        lda     STMTAB+1,y
        pha
        lda     STMTAB,y
        pha
        jmp     CHRGET
@let:   jmp     LET
@ctl:   cmp     #0              ; an empty statement
        bne     @sn
        jmp     NEWSTT
@sn:
        jmp     SNERR

; The end of the program: as END.
ENDPRG: lda     #0
        tax
        beq     STOPEND

; Z set when the line running is a direct line. Changes A, Y.
ISDIR:  ldy     #2
        lda     (LINEPTR),y
        cmp     #$FF
        rts

; Checks for Ctrl-C; on a break, reports it and goes to the ready prompt,
; keeping the state for CONT (the caller must be at a statement's end, with
; nothing of its own on the stack).
CHKBRK: lda     #CCINT
        sta     CCCNT
        jsr     ROM_CTRLC
        bcs     @brk
        rts
@brk:   pla
        pla
        ldx     #0
        lda     #1
; Stops: A = 0 quietly (END), else with "BREAK IN n". Unless it was a direct
; line, a CONT record goes on the stack: TK_CONT, X (0: go on after
; TXTPTR, 1: run the statement after TXTPTR again), LINEPTR, TXTPTR.
STOPEND:
        pha
        jsr     ISDIR
        beq     @msg
        pla
        tay
        lda     TXTPTR+1
        pha
        lda     TXTPTR
        pha
        lda     LINEPTR+1
        pha
        lda     LINEPTR
        pha
        txa
        pha
        lda     #TK_CONT
        pha
        tya
        pha
@msg:   pla
        beq     @ready
        jsr     CRIFNEED
        lda     #BRKMSG-MSGS
        jsr     PRTMSG
        jsr     PRTIN
@ready: jmp     READY

; A break inside a statement (INPUT, WAIT, LIST): CONT starts the
; statement again. The stack goes back to its level at the statement's
; start.
STMTBRK:
        ldx     STKLVL
        txs
        lda     STMTP
        sta     TXTPTR
        lda     STMTP+1
        sta     TXTPTR+1
        ldx     #1
        txa
        bne     STOPEND         ; always (with the message)

        .include "basic_edit.s"
        .include "basic_stmt.s"
        .include "basic_expr.s"
        .include "basic_str.s"
        .include "basic_tab.s"
BASEND:                         ; (the end of the interpreter's code)
        .include "fp.s"

        .assert <CRBUF = 0, error, "the line buffer must start a page"
        .assert TEMPST = $80, error, "PUTTMP and ISTOP take TEMPST to be $80"
