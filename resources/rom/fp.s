; Tessaly BASIC: the arithmetic package (included by basic.s). The interface
; is described in basic.inc.
;
; Placeholder: every routine returns at once.

FP_RAMTOP = $A000

FINIT:
FLDFAC:
FLDARG:
FSTFAC:
FTOARG:
FADD:
FADDM:
FSUB:
FSUBM:
FMUL:
FMULM:
FDIV:
FDIVM:
FPOW:
FCMP:
FCMPM:
FSIGN:
FNEG:
FABS:
FSGN:
FINT:
FSQR:
FLOG:
FEXP:
FSIN:
FCOS:
FTAN:
FATN:
FRND:
FFLT16:
FFLTU16:
FFLTU8:
FFIX16:
FFIXU16:
FFIXU8:
FIN:
FOUT:   rts
