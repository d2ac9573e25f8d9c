// The keyboard matrix, driven the way the video window and the CPU thread
// drive it: key events in, row selections stored into the range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "cpu6502.h"
#include "kbd.h"
#include "mem.h"

namespace
{

constexpr long LPARAM_LSHIFT = 0x2A << 16;
constexpr long LPARAM_RSHIFT = 0x36 << 16;

class KbdTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        memset(abKbdMatrix, 0, sizeof abKbdMatrix);
        memset(abKbdHold, 0, sizeof abKbdHold);
        iKbdRow = 0;
        fShiftLock = 1;
        fLShiftDown = fRShiftDown = fCtrlDown = fShiftLifted = fShiftAdded = 0;
        memset(abMem6502 + KBD_BASE, 0, KBD_END - KBD_BASE + 1);
    }
    // What the CPU thread does for a store into the keyboard range.
    static void store(byte value, uint32_t addr = 0xDF00)
    {
        abMem6502[addr] = value;
        kbd_write(value);
    }
    // Selects a row and returns what the range reads; all of it must agree.
    static byte select(int row)
    {
        store(static_cast<byte>(~(1 << row)));
        byte v = abMem6502[KBD_BASE];
        EXPECT_EQ(std::count(abMem6502 + KBD_BASE, abMem6502 + KBD_END + 1, v), 0x400);
        return v;
    }
    // How many selections of row see the key at bit down.
    static int selections_down(int row, int bit)
    {
        int n = 0;
        while (n < 20 && !(select(row) & (1 << bit)))
            n++;
        return n;
    }
    static void type(unsigned ch)
    {
        kbd_message(WM_CHAR, ch, 0);
    }
    static void down(unsigned vk, long lParam = 0)
    {
        kbd_message(WM_KEYDOWN, vk, lParam);
    }
    static void up(unsigned vk, long lParam = 0)
    {
        kbd_message(WM_KEYUP, vk, lParam);
    }
};

TEST_F(KbdTest, RowsReadWithAndWithoutShiftLock)
{
    EXPECT_EQ(select(7), 0xFF);
    EXPECT_EQ(select(0), 0xFE);
    down(VK_CAPITAL);
    up(VK_CAPITAL);
    EXPECT_EQ(select(0), 0xFF);
    down(VK_CAPITAL);
    EXPECT_EQ(select(0), 0xFE);
}

TEST_F(KbdTest, TypedKeysStayDownForTheirHoldCount)
{
    type('q'); // folded onto Q: row 1, bit 7
    EXPECT_EQ(select(1), 0x7F);
    EXPECT_EQ(selections_down(1, 7), 2);
    EXPECT_EQ(select(1), 0xFF);
    type('Q'); // other rows' selections do not count
    for (int i = 0; i < 10; i++)
        select(4);
    EXPECT_EQ(selections_down(1, 7), 3);
    type(27); // Escape in row 0: six selections
    EXPECT_EQ(select(0), 0xDE);
    EXPECT_EQ(selections_down(0, 5), 5);
    // A key on the selected row shows at once; on another row it does not.
    select(2);
    type('c');
    EXPECT_EQ(abMem6502[KBD_END], 0xBF);
    type('q');
    EXPECT_EQ(abMem6502[KBD_END], 0xBF);
}

TEST_F(KbdTest, HostShiftIsLiftedAndPutBack)
{
    down(VK_SHIFT, LPARAM_LSHIFT);
    type('!');
    EXPECT_EQ(abKbdMatrix[7], 0x80);
    EXPECT_EQ(abKbdMatrix[0], 0x04);
    type(':'); // the host needs Shift for ':', the machine does not
    EXPECT_EQ(abKbdMatrix[6], 0x10);
    EXPECT_EQ(abKbdMatrix[0], 0x00);
    EXPECT_TRUE(fShiftLifted && fLShiftDown);
    type('!');
    EXPECT_EQ(abKbdMatrix[0], 0x04);
    EXPECT_FALSE(fShiftLifted || fShiftAdded);
    for (int i = 0; i < 10; i++) // a host Shift outlasts the hold count
        select(0);
    EXPECT_EQ(abKbdMatrix[0], 0x04);
    up(VK_SHIFT, LPARAM_LSHIFT);
    EXPECT_EQ(abKbdMatrix[0], 0x00);

    down(VK_SHIFT, LPARAM_RSHIFT);
    EXPECT_EQ(abKbdMatrix[0], 0x02);
    type(';');
    EXPECT_EQ(abKbdMatrix[0], 0x00);
    type('?');
    EXPECT_EQ(abKbdMatrix[0], 0x02);
    EXPECT_EQ(abKbdMatrix[1], 0x0C); // ';' and '/'
}

TEST_F(KbdTest, ShiftAddedForAShiftedCharacterIsReleasedWithRowZero)
{
    type('!');
    EXPECT_EQ(abKbdMatrix[0], 0x04);
    EXPECT_TRUE(fShiftAdded);
    EXPECT_EQ(selections_down(0, 2), 6);
    EXPECT_FALSE(fShiftAdded);
    type('"');
    type('a'); // letters need no lifting
    EXPECT_EQ(abKbdMatrix[0], 0x04);
}

TEST_F(KbdTest, SpecialKeys)
{
    type(8); // Backspace: Shift with O
    EXPECT_EQ(abKbdMatrix[5], 0x20);
    EXPECT_EQ(abKbdMatrix[0], 0x04);
    SetUp();
    type(13);
    type(27);
    down(VK_DELETE);
    up(VK_DELETE);
    EXPECT_EQ(abKbdMatrix[5], 0x08); // Enter
    EXPECT_EQ(abKbdMatrix[0], 0x20); // Escape
    EXPECT_EQ(abKbdMatrix[6], 0x04); // Delete
    SetUp();
    type(9);                        // Tab alone
    type(0);                        // NUL
    type('@');                      // no position
    kbd_message(WM_CHAR, 0x131, 0); // beyond a byte
    down(0x110, LPARAM_LSHIFT);     // beyond a byte
    down('A');                      // characters come as WM_CHAR only
    EXPECT_EQ(std::count(abKbdMatrix, abKbdMatrix + 8, 0), 8);
    EXPECT_FALSE(fLShiftDown);
}

TEST_F(KbdTest, CtrlC)
{
    down(VK_CONTROL);
    EXPECT_EQ(abKbdMatrix[0], 0x40);
    type(3);
    EXPECT_EQ(abKbdMatrix[2], 0x40);
    for (int i = 0; i < 10; i++)
        select(0);
    EXPECT_EQ(select(0), 0xBE);
    up(VK_CONTROL);
    EXPECT_EQ(abMem6502[KBD_BASE], 0xFE);
    EXPECT_EQ(selections_down(2, 6), 3);
    type(3); // without Ctrl a control character is dropped
    EXPECT_EQ(select(2), 0xFF);
}

TEST_F(KbdTest, StoresSelectingNoSingleRowStayInMemory)
{
    type(27);
    select(1);
    for (byte v : {0xFF, 0x00, 0xFC}) {
        memset(abMem6502 + KBD_BASE, 0x55, KBD_END - KBD_BASE + 1);
        store(v, 0xDC10);
        EXPECT_EQ(abMem6502[0xDC10], v);
        EXPECT_EQ(abMem6502[0xDC11], 0x55);
        EXPECT_EQ(iKbdRow, 0);
    }
    EXPECT_EQ(abKbdHold[0], 6); // no count ran down
}

// Key events and row selections come from two threads; every refresh must
// leave the whole range reading one value.
TEST_F(KbdTest, ConcurrentKeysAndSelectionsKeepTheRangeWhole)
{
    std::thread typist([] {
        for (int i = 0; i < 20000; i++)
            type(i & 1 ? 'q' : 27);
    });
    for (int i = 0; i < 20000; i++)
        store(i & 1 ? 0xFE : 0xFD);
    typist.join();
    byte v = abMem6502[KBD_BASE];
    EXPECT_EQ(std::count(abMem6502 + KBD_BASE, abMem6502 + KBD_END + 1, v), 0x400);
}

} // namespace
