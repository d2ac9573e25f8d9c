/* The reference interpreter of the speed comparison (see ref6502.h). N and
 * Z are kept as the byte they were last computed from, the others as 0 or
 * 1; P is packed only when pushed. Decimal arithmetic gives the NMOS A and
 * C. */
#include "ref6502.h"

#define RD(addr)    (mem[(uint16_t)(addr)])
#define WR(addr, v) (mem[(uint16_t)(addr)] = (uint8_t)(v))
#define RD16(addr)  (RD(addr) | RD((addr) + 1) << 8)
#define PUSH(v)     (mem[0x100 + s--] = (uint8_t)(v))
#define PULL()      (mem[0x100 + ++s])
#define SETNZ(v)    (nres = zres = (uint8_t)(v))

/* Effective addresses; each leaves the address in ea and steps pc past the
 * operand. */
#define IMM() (ea = pc++)
#define ZP()  (ea = RD(pc++))
#define ZPX() (ea = (uint8_t)(RD(pc++) + x))
#define ZPY() (ea = (uint8_t)(RD(pc++) + y))
#define ABS() (ea = RD16(pc), pc += 2)
#define ABX() (ea = (uint16_t)(RD16(pc) + x), pc += 2)
#define ABY() (ea = (uint16_t)(RD16(pc) + y), pc += 2)
#define IZX() (t = (uint8_t)(RD(pc++) + x), ea = RD(t) | RD((uint8_t)(t + 1)) << 8)
#define IZY() (t = RD(pc++), ea = (uint16_t)((RD(t) | RD((uint8_t)(t + 1)) << 8) + y))

#define BRANCH(cond)                                                                               \
    do {                                                                                           \
        int8_t d = (int8_t)RD(pc++);                                                               \
        if (cond)                                                                                  \
            pc = (uint16_t)(pc + d);                                                               \
    } while (0)

#define ADC(m)                                                                                     \
    do {                                                                                           \
        unsigned mv = (m);                                                                         \
        if (d) {                                                                                   \
            int lo = (a & 0x0F) + (mv & 0x0F) + c;                                                 \
            if (lo >= 0x0A)                                                                        \
                lo = ((lo + 0x06) & 0x0F) + 0x10;                                                  \
            int sum = (a & 0xF0) + (mv & 0xF0) + lo;                                               \
            if (sum >= 0xA0)                                                                       \
                sum += 0x60;                                                                       \
            v = (~(a ^ mv) & (a ^ sum) & 0x80) != 0;                                               \
            c = sum >= 0x100;                                                                      \
            a = (uint8_t)sum;                                                                      \
        } else {                                                                                   \
            unsigned sum = a + mv + c;                                                             \
            v = (~(a ^ mv) & (a ^ sum) & 0x80) != 0;                                               \
            c = sum > 0xFF;                                                                        \
            a = (uint8_t)sum;                                                                      \
        }                                                                                          \
        SETNZ(a);                                                                                  \
    } while (0)

#define SBC(m)                                                                                     \
    do {                                                                                           \
        unsigned mv = (m);                                                                         \
        int diff = a - mv - !c;                                                                    \
        v = ((a ^ mv) & (a ^ diff) & 0x80) != 0;                                                   \
        if (d) {                                                                                   \
            int lo = (a & 0x0F) - (mv & 0x0F) - !c;                                                \
            if (lo < 0)                                                                            \
                lo = ((lo - 0x06) & 0x0F) - 0x10;                                                  \
            int dd = (a & 0xF0) - (mv & 0xF0) + lo;                                                \
            if (dd < 0)                                                                            \
                dd -= 0x60;                                                                        \
            c = diff >= 0;                                                                         \
            a = (uint8_t)dd;                                                                       \
        } else {                                                                                   \
            c = diff >= 0;                                                                         \
            a = (uint8_t)diff;                                                                     \
        }                                                                                          \
        SETNZ(a);                                                                                  \
    } while (0)

#define CMPR(r, m)                                                                                 \
    do {                                                                                           \
        unsigned mv = (m);                                                                         \
        c = (r) >= mv;                                                                             \
        SETNZ((r)-mv);                                                                             \
    } while (0)

#define ASL(lv)                                                                                    \
    do {                                                                                           \
        unsigned r_ = (lv);                                                                        \
        c = r_ >> 7;                                                                               \
        r_ = (uint8_t)(r_ << 1);                                                                   \
        SETNZ(r_);                                                                                 \
        lv = (uint8_t)r_;                                                                          \
    } while (0)
#define LSR(lv)                                                                                    \
    do {                                                                                           \
        unsigned r_ = (lv);                                                                        \
        c = r_ & 1;                                                                                \
        r_ >>= 1;                                                                                  \
        SETNZ(r_);                                                                                 \
        lv = (uint8_t)r_;                                                                          \
    } while (0)
#define ROL(lv)                                                                                    \
    do {                                                                                           \
        unsigned r_ = (lv);                                                                        \
        unsigned c_ = r_ >> 7;                                                                     \
        r_ = (uint8_t)(r_ << 1 | c);                                                               \
        c = c_;                                                                                    \
        SETNZ(r_);                                                                                 \
        lv = (uint8_t)r_;                                                                          \
    } while (0)
#define ROR(lv)                                                                                    \
    do {                                                                                           \
        unsigned r_ = (lv);                                                                        \
        unsigned c_ = r_ & 1;                                                                      \
        r_ = r_ >> 1 | c << 7;                                                                     \
        c = c_;                                                                                    \
        SETNZ(r_);                                                                                 \
        lv = (uint8_t)r_;                                                                          \
    } while (0)

/* Read-modify-write on memory at ea. */
#define RMW(op)                                                                                    \
    do {                                                                                           \
        uint8_t m_ = RD(ea);                                                                       \
        op(m_);                                                                                    \
        WR(ea, m_);                                                                                \
    } while (0)

#define PACK() ((nres & 0x80) | v << 6 | 0x20 | d << 3 | i << 2 | (zres == 0) << 1 | c)
#define UNPACK(pv)                                                                                 \
    do {                                                                                           \
        uint8_t p_ = (pv);                                                                         \
        nres = p_ & 0x80;                                                                          \
        zres = !(p_ & 0x02);                                                                       \
        v = p_ >> 6 & 1;                                                                           \
        d = p_ >> 3 & 1;                                                                           \
        i = p_ >> 2 & 1;                                                                           \
        c = p_ & 1;                                                                                \
    } while (0)

void ref6502_run(Ref6502* cpu, uint64_t count)
{
    uint8_t* const mem = cpu->mem;
    uint8_t a = cpu->a, x = cpu->x, y = cpu->y, s = cpu->s;
    uint16_t pc = cpu->pc, ea = 0;
    uint8_t nres, zres, v, d, i, c, t;
    UNPACK(cpu->p);
    for (; count; count--) {
        /* clang-format off */
        switch (RD(pc++)) {
        /* loads and stores */
        case 0xA9: IMM(); a = RD(ea); SETNZ(a); break;
        case 0xA5: ZP(); a = RD(ea); SETNZ(a); break;
        case 0xB5: ZPX(); a = RD(ea); SETNZ(a); break;
        case 0xAD: ABS(); a = RD(ea); SETNZ(a); break;
        case 0xBD: ABX(); a = RD(ea); SETNZ(a); break;
        case 0xB9: ABY(); a = RD(ea); SETNZ(a); break;
        case 0xA1: IZX(); a = RD(ea); SETNZ(a); break;
        case 0xB1: IZY(); a = RD(ea); SETNZ(a); break;
        case 0xA2: IMM(); x = RD(ea); SETNZ(x); break;
        case 0xA6: ZP(); x = RD(ea); SETNZ(x); break;
        case 0xB6: ZPY(); x = RD(ea); SETNZ(x); break;
        case 0xAE: ABS(); x = RD(ea); SETNZ(x); break;
        case 0xBE: ABY(); x = RD(ea); SETNZ(x); break;
        case 0xA0: IMM(); y = RD(ea); SETNZ(y); break;
        case 0xA4: ZP(); y = RD(ea); SETNZ(y); break;
        case 0xB4: ZPX(); y = RD(ea); SETNZ(y); break;
        case 0xAC: ABS(); y = RD(ea); SETNZ(y); break;
        case 0xBC: ABX(); y = RD(ea); SETNZ(y); break;
        case 0x85: ZP(); WR(ea, a); break;
        case 0x95: ZPX(); WR(ea, a); break;
        case 0x8D: ABS(); WR(ea, a); break;
        case 0x9D: ABX(); WR(ea, a); break;
        case 0x99: ABY(); WR(ea, a); break;
        case 0x81: IZX(); WR(ea, a); break;
        case 0x91: IZY(); WR(ea, a); break;
        case 0x86: ZP(); WR(ea, x); break;
        case 0x96: ZPY(); WR(ea, x); break;
        case 0x8E: ABS(); WR(ea, x); break;
        case 0x84: ZP(); WR(ea, y); break;
        case 0x94: ZPX(); WR(ea, y); break;
        case 0x8C: ABS(); WR(ea, y); break;
        /* transfers and the stack */
        case 0xAA: x = a; SETNZ(x); break;
        case 0xA8: y = a; SETNZ(y); break;
        case 0x8A: a = x; SETNZ(a); break;
        case 0x98: a = y; SETNZ(a); break;
        case 0xBA: x = s; SETNZ(x); break;
        case 0x9A: s = x; break;
        case 0x48: PUSH(a); break;
        case 0x68: a = PULL(); SETNZ(a); break;
        case 0x08: PUSH(PACK() | 0x10); break;
        case 0x28: UNPACK(PULL()); break;
        /* arithmetic and logic */
        case 0x69: IMM(); ADC(RD(ea)); break;
        case 0x65: ZP(); ADC(RD(ea)); break;
        case 0x75: ZPX(); ADC(RD(ea)); break;
        case 0x6D: ABS(); ADC(RD(ea)); break;
        case 0x7D: ABX(); ADC(RD(ea)); break;
        case 0x79: ABY(); ADC(RD(ea)); break;
        case 0x61: IZX(); ADC(RD(ea)); break;
        case 0x71: IZY(); ADC(RD(ea)); break;
        case 0xE9: IMM(); SBC(RD(ea)); break;
        case 0xE5: ZP(); SBC(RD(ea)); break;
        case 0xF5: ZPX(); SBC(RD(ea)); break;
        case 0xED: ABS(); SBC(RD(ea)); break;
        case 0xFD: ABX(); SBC(RD(ea)); break;
        case 0xF9: ABY(); SBC(RD(ea)); break;
        case 0xE1: IZX(); SBC(RD(ea)); break;
        case 0xF1: IZY(); SBC(RD(ea)); break;
        case 0x29: IMM(); a &= RD(ea); SETNZ(a); break;
        case 0x25: ZP(); a &= RD(ea); SETNZ(a); break;
        case 0x35: ZPX(); a &= RD(ea); SETNZ(a); break;
        case 0x2D: ABS(); a &= RD(ea); SETNZ(a); break;
        case 0x3D: ABX(); a &= RD(ea); SETNZ(a); break;
        case 0x39: ABY(); a &= RD(ea); SETNZ(a); break;
        case 0x21: IZX(); a &= RD(ea); SETNZ(a); break;
        case 0x31: IZY(); a &= RD(ea); SETNZ(a); break;
        case 0x09: IMM(); a |= RD(ea); SETNZ(a); break;
        case 0x05: ZP(); a |= RD(ea); SETNZ(a); break;
        case 0x15: ZPX(); a |= RD(ea); SETNZ(a); break;
        case 0x0D: ABS(); a |= RD(ea); SETNZ(a); break;
        case 0x1D: ABX(); a |= RD(ea); SETNZ(a); break;
        case 0x19: ABY(); a |= RD(ea); SETNZ(a); break;
        case 0x01: IZX(); a |= RD(ea); SETNZ(a); break;
        case 0x11: IZY(); a |= RD(ea); SETNZ(a); break;
        case 0x49: IMM(); a ^= RD(ea); SETNZ(a); break;
        case 0x45: ZP(); a ^= RD(ea); SETNZ(a); break;
        case 0x55: ZPX(); a ^= RD(ea); SETNZ(a); break;
        case 0x4D: ABS(); a ^= RD(ea); SETNZ(a); break;
        case 0x5D: ABX(); a ^= RD(ea); SETNZ(a); break;
        case 0x59: ABY(); a ^= RD(ea); SETNZ(a); break;
        case 0x41: IZX(); a ^= RD(ea); SETNZ(a); break;
        case 0x51: IZY(); a ^= RD(ea); SETNZ(a); break;
        case 0xC9: IMM(); CMPR(a, RD(ea)); break;
        case 0xC5: ZP(); CMPR(a, RD(ea)); break;
        case 0xD5: ZPX(); CMPR(a, RD(ea)); break;
        case 0xCD: ABS(); CMPR(a, RD(ea)); break;
        case 0xDD: ABX(); CMPR(a, RD(ea)); break;
        case 0xD9: ABY(); CMPR(a, RD(ea)); break;
        case 0xC1: IZX(); CMPR(a, RD(ea)); break;
        case 0xD1: IZY(); CMPR(a, RD(ea)); break;
        case 0xE0: IMM(); CMPR(x, RD(ea)); break;
        case 0xE4: ZP(); CMPR(x, RD(ea)); break;
        case 0xEC: ABS(); CMPR(x, RD(ea)); break;
        case 0xC0: IMM(); CMPR(y, RD(ea)); break;
        case 0xC4: ZP(); CMPR(y, RD(ea)); break;
        case 0xCC: ABS(); CMPR(y, RD(ea)); break;
        case 0x24: ZP(); t = RD(ea); zres = a & t; nres = t; v = t >> 6 & 1; break;
        case 0x2C: ABS(); t = RD(ea); zres = a & t; nres = t; v = t >> 6 & 1; break;
        /* increments and decrements */
        case 0xE6: ZP(); t = RD(ea) + 1; WR(ea, t); SETNZ(t); break;
        case 0xF6: ZPX(); t = RD(ea) + 1; WR(ea, t); SETNZ(t); break;
        case 0xEE: ABS(); t = RD(ea) + 1; WR(ea, t); SETNZ(t); break;
        case 0xFE: ABX(); t = RD(ea) + 1; WR(ea, t); SETNZ(t); break;
        case 0xC6: ZP(); t = RD(ea) - 1; WR(ea, t); SETNZ(t); break;
        case 0xD6: ZPX(); t = RD(ea) - 1; WR(ea, t); SETNZ(t); break;
        case 0xCE: ABS(); t = RD(ea) - 1; WR(ea, t); SETNZ(t); break;
        case 0xDE: ABX(); t = RD(ea) - 1; WR(ea, t); SETNZ(t); break;
        case 0xE8: x++; SETNZ(x); break;
        case 0xC8: y++; SETNZ(y); break;
        case 0xCA: x--; SETNZ(x); break;
        case 0x88: y--; SETNZ(y); break;
        /* shifts and rotates */
        case 0x0A: ASL(a); break;
        case 0x06: ZP(); RMW(ASL); break;
        case 0x16: ZPX(); RMW(ASL); break;
        case 0x0E: ABS(); RMW(ASL); break;
        case 0x1E: ABX(); RMW(ASL); break;
        case 0x4A: LSR(a); break;
        case 0x46: ZP(); RMW(LSR); break;
        case 0x56: ZPX(); RMW(LSR); break;
        case 0x4E: ABS(); RMW(LSR); break;
        case 0x5E: ABX(); RMW(LSR); break;
        case 0x2A: ROL(a); break;
        case 0x26: ZP(); RMW(ROL); break;
        case 0x36: ZPX(); RMW(ROL); break;
        case 0x2E: ABS(); RMW(ROL); break;
        case 0x3E: ABX(); RMW(ROL); break;
        case 0x6A: ROR(a); break;
        case 0x66: ZP(); RMW(ROR); break;
        case 0x76: ZPX(); RMW(ROR); break;
        case 0x6E: ABS(); RMW(ROR); break;
        case 0x7E: ABX(); RMW(ROR); break;
        /* jumps, calls, branches */
        case 0x4C: pc = RD16(pc); break;
        case 0x6C: ABS(); pc = RD16(ea); break;
        case 0x20: ABS(); pc--; PUSH(pc >> 8); PUSH(pc); pc = ea; break;
        case 0x60: pc = PULL(); pc |= PULL() << 8; pc++; break;
        case 0x40: UNPACK(PULL()); pc = PULL(); pc |= PULL() << 8; break;
        case 0x00:
            pc++;
            PUSH(pc >> 8);
            PUSH(pc);
            PUSH(PACK() | 0x10);
            i = 1;
            pc = RD16(0xFFFE);
            break;
        case 0x10: BRANCH(!(nres & 0x80)); break;
        case 0x30: BRANCH(nres & 0x80); break;
        case 0x50: BRANCH(!v); break;
        case 0x70: BRANCH(v); break;
        case 0x90: BRANCH(!c); break;
        case 0xB0: BRANCH(c); break;
        case 0xD0: BRANCH(zres); break;
        case 0xF0: BRANCH(!zres); break;
        /* flags */
        case 0x18: c = 0; break;
        case 0x38: c = 1; break;
        case 0x58: i = 0; break;
        case 0x78: i = 1; break;
        case 0xB8: v = 0; break;
        case 0xD8: d = 0; break;
        case 0xF8: d = 1; break;
        default: break; /* NOP, and the undefined opcodes */
        }
        /* clang-format on */
    }
    cpu->a = a;
    cpu->x = x;
    cpu->y = y;
    cpu->s = s;
    cpu->pc = pc;
    cpu->p = (uint8_t)PACK();
}
