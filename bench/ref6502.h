/* A plain 6502 interpreter in portable C, written for the speed comparison
 * of cpu_bench.cpp and for nothing else: one switch over the opcode, the
 * registers in local variables while it runs, memory a flat 64 KB array.
 * It is the kind of core a portable emulator is built around, compiled with
 * the same compiler and options as Tessaly, so that the benchmark can put
 * Tessaly's run loop beside it. It is not part of the program. */
#ifndef TESSALY_REF6502_H
#define TESSALY_REF6502_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Ref6502 {
    uint8_t a, x, y, s, p; /* p: N V 1 B D I Z C */
    uint16_t pc;
    uint8_t* mem; /* 64 KB */
} Ref6502;

/* Executes `count` instructions; undefined opcodes run as one-byte NOPs. */
void ref6502_run(Ref6502* cpu, uint64_t count);

#ifdef __cplusplus
}
#endif

#endif
