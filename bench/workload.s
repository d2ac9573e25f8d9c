; The speed workload: CPU-bound 6502 code of the kinds programs spend their
; time in - tables walked through pointers, shifts and rotates, compares and
; branches, subroutine calls, the stack, decimal arithmetic. It runs for
; ever; the benchmark stops it after a fixed number of instructions. It
; branches only on flags that every 6502 core sets alike (no N, Z or V
; after decimal arithmetic), so that two cores run the same instructions.

        .setcpu "6502"

FLAGS   = $2000                 ; 8 KB of sieve flags
TABLE   = $4000                 ; 512 bytes of products
SORTBUF = $4200                 ; the numbers to sort
SORTN   = 64

        .segment "ZEROPAGE"
PTR:    .res 2                  ; pointer into a table
PROD:   .res 2                  ; product of MUL8
MULA:   .res 1                  ; multiplicand of MUL8
MULB:   .res 1                  ; multiplier of MUL8
I:      .res 1                  ; loop counter of the routines
CRC:    .res 2                  ; CRC-16 being computed
SEED:   .res 1                  ; state of the pseudo-random numbers
BCD:    .res 3                  ; six-digit decimal counter

        .segment "MAIN"

; ENTRY: seeds the pseudo-random numbers, then runs the routines in turn
; for ever. Takes nothing; never returns.
ENTRY:  LDA #$A7
        STA SEED
START:  JSR SIEVE
        JSR CRC16
        JSR MULTAB
        JSR SORT
        JSR COUNT
        JMP START

        .segment "CODE"

; MUL8: multiplies by shifting and adding.
; Takes MULA and MULB; gives PROD = MULA * MULB; changes A, X and MULB.
MUL8:   LDA #0
        LDX #8
        LSR MULB
@LOOP:  BCC @NOADD
        CLC
        ADC MULA
@NOADD: ROR A
        ROR MULB
        DEX
        BNE @LOOP
        STA PROD+1
        LDA MULB
        STA PROD
        RTS

; SIEVE: the sieve of Eratosthenes over 8192 numbers.
; Takes nothing; gives FLAGS+n = 1 for each composite n below 8192 that has
; a factor up to 90; changes A, X, Y, PTR, I, MULA, MULB, PROD.
SIEVE:  LDA #<FLAGS             ; clear the 32 pages of flags
        STA PTR
        LDA #>FLAGS
        STA PTR+1
        LDX #32
        LDA #0
        TAY
@CLEAR: STA (PTR),Y
        INY
        BNE @CLEAR
        INC PTR+1
        DEX
        BNE @CLEAR
        LDA #2
        STA I
@NEXT:  LDX I                   ; a marked number is no prime: skip it
        LDA FLAGS,X
        BNE @SKIP
        LDA I                   ; mark from I*I on, in steps of I
        STA MULA
        STA MULB
        JSR MUL8
        CLC
        LDA PROD
        ADC #<FLAGS
        STA PTR
        LDA PROD+1
        ADC #>FLAGS
        STA PTR+1
        LDY #0
@MARK:  LDA #1
        STA (PTR),Y
        CLC
        LDA PTR
        ADC I
        STA PTR
        BCC @SAME
        INC PTR+1
@SAME:  LDA PTR+1
        CMP #>(FLAGS+$2000)
        BCC @MARK
@SKIP:  INC I
        LDA I
        CMP #91
        BNE @NEXT
        RTS

; CRC16: the CRC-16 (polynomial $1021, start $FFFF) of the first 1 KB of
; FLAGS, a bit at a time.
; Takes nothing; gives CRC; changes A, X, Y, PTR.
CRC16:  LDA #$FF
        STA CRC
        STA CRC+1
        LDA #<FLAGS
        STA PTR
        LDA #>FLAGS
        STA PTR+1
        LDY #0
@BYTE:  LDA (PTR),Y
        EOR CRC+1
        STA CRC+1
        LDX #8
@BIT:   ASL CRC
        ROL CRC+1
        BCC @NOXOR
        LDA CRC+1
        EOR #$10
        STA CRC+1
        LDA CRC
        EOR #$21
        STA CRC
@NOXOR: DEX
        BNE @BIT
        INY
        BNE @BYTE
        INC PTR+1
        LDA PTR+1
        CMP #>(FLAGS+$0400)
        BNE @BYTE
        RTS

; MULTAB: a table of 256 products, n * (n EOR $5A) for n = 0 to 255.
; Takes nothing; gives TABLE (two bytes a product, low first); changes A, X,
; Y, I, MULA, MULB, PROD.
MULTAB: LDA #0
        STA I
@LOOP:  LDA I
        STA MULA
        EOR #$5A
        STA MULB
        JSR MUL8
        LDA I
        ASL A
        TAY
        BCS @HIGH
        LDA PROD
        STA TABLE,Y
        LDA PROD+1
        STA TABLE+1,Y
        JMP @NEXT
@HIGH:  LDA PROD
        STA TABLE+$100,Y
        LDA PROD+1
        STA TABLE+$101,Y
@NEXT:  INC I
        BNE @LOOP
        RTS

; SORT: fills SORTBUF with SORTN pseudo-random numbers (an 8-bit linear
; feedback shift register) and bubble-sorts them into ascending order.
; Takes SEED; gives SORTBUF sorted and SEED advanced; changes A, X, Y.
SORT:   LDX #SORTN-1
        LDA SEED
@FILL:  ASL A
        BCC @KEEP
        EOR #$1D
@KEEP:  STA SORTBUF,X
        DEX
        BPL @FILL
        STA SEED
@PASS:  LDY #0                  ; Y: a pair was swapped in this pass
        LDX #0
@PAIR:  LDA SORTBUF,X
        CMP SORTBUF+1,X
        BCC @ORDER
        BEQ @ORDER
        PHA                     ; swap through the stack
        LDA SORTBUF+1,X
        STA SORTBUF,X
        PLA
        STA SORTBUF+1,X
        LDY #1
@ORDER: INX
        CPX #SORTN-1
        BNE @PAIR
        TYA
        BNE @PASS
        RTS

; COUNT: adds 1 to the decimal counter 200 times, in decimal mode. Branches
; only on the carry, which every 6502 core sets alike in decimal mode.
; Takes nothing; gives BCD; changes A, X.
COUNT:  LDX #200
        SED
@LOOP:  CLC
        LDA BCD
        ADC #1
        STA BCD
        LDA BCD+1
        ADC #0
        STA BCD+1
        LDA BCD+2
        ADC #0
        STA BCD+2
        DEX
        BNE @LOOP
        CLD
        RTS
