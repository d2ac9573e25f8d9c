// The keyboard matrix: 8 rows of 8 keys read through 0xDC00..0xDFFF.
//
// The emulated program stores a row-select byte (one 0 bit) into the range
// and reads back the selected row, active low. Host keys arrive as key
// events from the video window; a key put into the matrix stays down for a
// few selections of its row and is then released by the emulation, since
// most host keys come as characters without a release.
//
// Key events run on the video thread and row selections on the CPU thread.
// Both are rare (a keystroke, a keyboard scan), so one mutex guards all of
// the keyboard state and the refresh of the range: neither side can see the
// other's update half done. The range is emulated memory, which the running
// CPU reads without any lock: a key event writes it only while it holds the
// machine (taken before the keyboard's own lock), so that the CPU sees the
// new row between two instructions and never in the middle of one.
#include <atomic>
#include <bit>
#include <cstring>
#include <iterator>
#include <mutex>

#include "cpu6502.h"
#include "kbd.h"
#include "lock.h"
#include "memmap.h"

// The keyboard's state; mtx guards all of it but the selection count.
struct KbdState {
    std::mutex mtx;
    byte abMatrix[8];                            // keys down, by row
    byte abHold[8];                              // selections of each row before its keys go up
    int iRow;                                    // the row last selected
    uint8_t fShiftLock = 1;                      // the machine's SHIFT LOCK, down at power-on
    uint8_t fLShiftDown, fRShiftDown, fCtrlDown; // held on the host
    uint8_t fShiftLifted; // a held host Shift was lifted for an unshifted key
    uint8_t fShiftAdded;  // a Shift was put down for a shifted character
    std::atomic<uint32_t> cSelections;
};
static KbdState kbdState;

// How many selections of its row a key stays visible.
constexpr byte HOLD_ROW0 = 6;
constexpr byte HOLD_ROWS = 3;

// Key codes by matrix position: cell [t][c] is matrix row 7 - t, bit 7 - c;
// 0 marks an empty position. Row 0 holds the host's modifier keys by their
// virtual-key codes.
// clang-format off
static constexpr byte abKeyMap[8][8] = {
    {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x00},
    {0x38, 0x39, 0x30, 0x3A, 0x2D, 0x09, 0x00, 0x00},
    {0x2E, 0x4C, 0x4F, 0x00, 0x0D, 0x00, 0x00, 0x00},
    {0x57, 0x45, 0x52, 0x54, 0x59, 0x55, 0x49, 0x00},
    {0x53, 0x44, 0x46, 0x47, 0x48, 0x4A, 0x4B, 0x00},
    {0x58, 0x43, 0x56, 0x42, 0x4E, 0x4D, 0x2C, 0x00},
    {0x51, 0x41, 0x5A, 0x20, 0x2F, 0x3B, 0x50, 0x00},
    {0x00, 0x11, 0x1B, 0x00, 0x00, 0xA0, 0xA1, 0x14},
};

// Characters the machine produces with Shift, at the unshifted key's cell:
// among them ^ [ \ ] @ on Shift with N, K, L, M and P.
static constexpr byte abShiftKeyMap[8][8] = {
    {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x00},
    {0x28, 0x29, 0x00, 0x2A, 0x3D, 0x00, 0x00, 0x00},
    {0x3E, 0x5C, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5B, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x5E, 0x5D, 0x3C, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x3F, 0x2B, 0x40, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};
// clang-format on

// The rest of this file works with kbdState.mtx held.

static void kbd_refresh_locked()
{
    byte v = kbdState.abMatrix[kbdState.iRow];
    if (kbdState.iRow == 0 && kbdState.fShiftLock)
        v ^= 1;
    memset(cpu6502.mem + KBD_BASE, static_cast<byte>(~v), KBD_END - KBD_BASE + 1);
}

// Finds code in a key table: its matrix row and bit mask, or false.
static bool kbd_find(const byte (&map)[8][8], byte code, int* row, byte* mask)
{
    for (int t = 0; t < static_cast<int>(std::size(map)); t++)
        for (int c = 0; c < static_cast<int>(std::size(map[t])); c++)
            if (map[t][c] == code) {
                *row = 7 - t;
                *mask = static_cast<byte>(1 << (7 - c));
                return true;
            }
    return false;
}

// Presses or releases one position and restarts its row's hold count.
static void kbd_set(int row, byte mask, bool pressed)
{
    if (pressed)
        kbdState.abMatrix[row] |= mask;
    else
        kbdState.abMatrix[row] &= static_cast<byte>(~mask);
    kbdState.abHold[row] = row == 0 ? HOLD_ROW0 : HOLD_ROWS;
}

static bool kbd_key_locked(byte code, bool pressed)
{
    // Code 0 is the tables' mark of an empty position, not a key: a NUL
    // character would otherwise press the empty position at row 7 bit 0.
    if (code == 0)
        return false;
    int row;
    byte mask;
    if (kbd_find(abKeyMap, code, &row, &mask)) {
        kbd_set(row, mask, pressed);
        if (row != 0 && !(code >= 'A' && code <= 'Z')) {
            // The key needs no Shift: lift a held host Shift from the matrix.
            if (kbdState.fLShiftDown) {
                kbd_key_locked(VK_LSHIFT, false);
                kbdState.fShiftLifted = 1;
                kbdState.fShiftAdded = 0;
            }
            if (kbdState.fRShiftDown) {
                kbd_key_locked(VK_RSHIFT, false);
                kbdState.fShiftLifted = 1;
                kbdState.fShiftAdded = 0;
            }
        }
    } else if (kbd_find(abShiftKeyMap, code, &row, &mask)) {
        kbd_set(row, mask, pressed);
        // Make sure a Shift position is down, also when the key is released.
        if (kbdState.fLShiftDown) {
            if (kbdState.fShiftLifted) {
                kbd_key_locked(VK_LSHIFT, true);
                kbdState.fShiftLifted = 0;
            }
        } else if (!kbdState.fRShiftDown) {
            kbd_key_locked(VK_LSHIFT, true);
            if (!kbdState.fShiftLifted)
                kbdState.fShiftAdded = 1; // released with row 0's hold count
            kbdState.fShiftLifted = 0;
        } else if (kbdState.fShiftLifted) {
            kbd_key_locked(VK_RSHIFT, true);
            kbdState.fShiftLifted = 0;
        }
    } else {
        return false;
    }
    if (row == kbdState.iRow)
        kbd_refresh_locked();
    return true;
}

void kbd_refresh()
{
    MachineLock machine;
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    kbd_refresh_locked();
}

bool kbd_key(byte code, bool pressed)
{
    MachineLock machine;
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    return kbd_key_locked(code, pressed);
}

bool kbd_pending()
{
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    for (size_t r = 1; r < std::size(kbdState.abMatrix); r++)
        if (kbdState.abMatrix[r])
            return true;
    return (kbdState.abMatrix[0] & 0x20) || kbdState.fShiftAdded;
}

KbdSnapshot kbd_snapshot()
{
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    KbdSnapshot snap{};
    memcpy(snap.abMatrix, kbdState.abMatrix, sizeof snap.abMatrix);
    memcpy(snap.abHold, kbdState.abHold, sizeof snap.abHold);
    snap.iRow = kbdState.iRow;
    snap.fShiftLock = kbdState.fShiftLock;
    return snap;
}

void kbd_reset()
{
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    memset(kbdState.abMatrix, 0, sizeof kbdState.abMatrix);
    memset(kbdState.abHold, 0, sizeof kbdState.abHold);
    kbdState.iRow = 0;
    kbdState.fShiftLock = 1;
    kbdState.fLShiftDown = kbdState.fRShiftDown = kbdState.fCtrlDown = 0;
    kbdState.fShiftLifted = kbdState.fShiftAdded = 0;
}

uint32_t kbd_selections()
{
    return kbdState.cSelections.load(std::memory_order_relaxed);
}

void kbd_write(byte value)
{
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    kbdState.cSelections.fetch_add(1, std::memory_order_relaxed);
    kbdState.iRow = 0;
    byte s = static_cast<byte>(~value);
    // Not exactly one row selected: the stored byte stays where it is.
    int r = std::countr_zero(s);
    if (!std::has_single_bit(s) || r > 7)
        return;
    kbdState.iRow = r;
    if (kbdState.abHold[r] != 0) {
        kbdState.abHold[r]--;
    } else if (r != 0) {
        kbdState.abMatrix[r] = 0;
    } else {
        // Row 0: Escape goes up, and a Shift added for a shifted character;
        // Ctrl and a Shift held on the host stay until their releases.
        kbdState.abMatrix[0] &= static_cast<byte>(~0x20);
        if (kbdState.fShiftAdded) {
            kbdState.abMatrix[0] &= static_cast<byte>(~0x06);
            kbdState.fShiftAdded = 0;
        }
    }
    kbd_refresh_locked();
}

void kbd_stored(uint32_t ea)
{
    // The byte at ea is the one the instruction stored: a key event, which
    // rewrites the whole range, waits for the machine until this instruction
    // and its hooks are done.
    kbd_write(abMem6502[ea]);
}

// The Shift, Ctrl, Caps Lock and Delete keys of the host.
static void kbd_keyevent(bool down, unsigned vk, long lParam)
{
    switch (vk) {
    case VK_SHIFT:
        if (((lParam >> 16) & 0xFF) == SCAN_LSHIFT) {
            kbdState.fShiftAdded = 0;
            kbdState.fShiftLifted = 0;
            kbdState.fLShiftDown = down;
            kbd_key_locked(VK_LSHIFT, down);
        } else {
            kbdState.fShiftLifted = 0;
            kbdState.fRShiftDown = down;
            kbd_key_locked(VK_RSHIFT, down);
        }
        break;
    case VK_CONTROL:
        kbdState.fCtrlDown = down;
        kbd_key_locked(VK_CONTROL, down);
        break;
    case VK_CAPITAL:
        // Every press toggles (so does the host's auto-repeat); shift lock
        // shows only through the refresh of row 0.
        if (down)
            kbdState.fShiftLock = !kbdState.fShiftLock;
        break;
    case VK_DELETE:
        if (down)
            kbd_key_locked(0x09, true);
        break;
    default:
        break; // its character arrives as WM_CHAR
    }
}

void kbd_message(unsigned msg, unsigned wParam, long lParam)
{
    if (wParam > 255)
        return;
    MachineLock machine;
    std::lock_guard<std::mutex> lock(kbdState.mtx);
    byte code = static_cast<byte>(wParam);
    switch (msg) {
    case WM_CHAR:
        if (code >= 1 && code <= 26 && code != 0x08 && code != 0x0D) {
            // Control characters reach the matrix as Ctrl with the letter;
            // without Ctrl held (Tab, for one) they are dropped.
            if (kbdState.fCtrlDown)
                kbd_key_locked(static_cast<byte>(code + 0x40), true);
        } else if (code >= 'a' && code <= 'z') {
            kbd_key_locked(static_cast<byte>(code - 0x20), true);
        } else {
            kbd_key_locked(code, true);
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        kbd_keyevent(msg == WM_KEYDOWN, wParam, lParam);
        break;
    default:
        break;
    }
}
