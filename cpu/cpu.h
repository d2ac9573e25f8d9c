// Types shared by the opcode functions and the rest of the program.
//
// The opcode functions are generated source that includes this header (as
// <cpu.h>) and nothing else, so it must stay valid C as well as C++: a file
// written by "tessaly -gc" compiles on its own with either compiler.
//
// The generated statements view registers and memory through byte and bit
// overlays: the low byte of a register is its first byte in memory, a word is
// read from two consecutive bytes low byte first, and bit0 of a bit-field
// byte is its least significant bit. All of this holds only on a
// little-endian machine with the GCC/Clang bit-field layout, so it is checked
// here rather than hoped for. The overlays also break the strict aliasing
// rules, so the build compiles the generated file with -fno-strict-aliasing;
// SBYTE reads through (char), so it is compiled with -fsigned-char as well.
#ifndef TESSALY_CPU_H
#define TESSALY_CPU_H

#include <stdint.h>

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the opcode functions need a little-endian machine"
#endif

typedef uint8_t byte; // unsigned 8-bit
// Unsigned 16-bit, at any address: WORD reads a word at whatever byte address
// the 6502 gives, so the type promises no more than byte alignment and the
// compiler emits a load that is valid at an odd address (on x86-64 and arm64
// the same single instruction).
typedef uint16_t word __attribute__((aligned(1)));

// Eight one-bit fields laid over one byte, bit0 the least significant.
typedef struct bits {
    byte bit0 : 1;
    byte bit1 : 1;
    byte bit2 : 1;
    byte bit3 : 1;
    byte bit4 : 1;
    byte bit5 : 1;
    byte bit6 : 1;
    byte bit7 : 1;
} bits;

#ifdef __cplusplus
static_assert(sizeof(bits) == 1, "bits must overlay exactly one byte");
#else
_Static_assert(sizeof(bits) == 1, "bits must overlay exactly one byte");
#endif

// One register of the emulated processor. The register table is the live
// register file: opcode functions read and write `value` directly.
typedef struct Reg {
    const char* name;
    const char* desc;
    int32_t size;       // width in bits: 8 or 16
    int32_t value;      // current value, never narrowed by the register file
    int32_t valueShown; // value as last shown by the register-change list
} Reg;

typedef void (*PfnOp)(void);

// Called by the shared function of the undefined opcodes: records that an
// undefined opcode ran, so that the CPU thread stops on it. Changes no
// register and no memory.
void cpu6502_undefined(void);

#endif
