// Placeholders of the machine devices, replaced as they are built.
#include "devices.h"
#include "shell.h"

RomDef aRomC1P[C_ROMS] = {
    {0xA000, 0x2000, 901, nullptr},
    {0xF800, 0x0800, 902, nullptr},
};

const MemDef aMemC1P[C_MEM_REGIONS] = {
    {0x0000, 0, "RAM"},
    {0xA000, 0x2000, "BASIC ROM"},
    {0xD000, 0x0400, "Video frame buffer"},
    {0xDC00, 0x0400, "Keyboard status/data"},
    {0xF000, 0x0100, "Cassette status/data"},
    {0xF800, 0x0800, "System ROM"},
};

uint8_t fRomsLoaded;

static int notyet(const char* what)
{
    con_printf("%s: not available yet\n", what);
    return 0;
}

int mem_load(const char*)
{
    return notyet("load");
}

int cmd_load(int, char**, const Switches*)
{
    return notyet("load");
}

int cmd_mem(int, char**, const Switches*)
{
    return notyet("mem");
}

byte abKbdMatrix[8];
byte abKbdHold[8];
int iKbdRow;
uint8_t fShiftLock = 1, fLShiftDown, fRShiftDown, fCtrlDown, fShiftLifted, fShiftAdded;

void kbd_message(unsigned, unsigned, long)
{
}

bool kbd_key(byte, bool)
{
    return false;
}

void kbd_write(byte)
{
}

void kbd_refresh()
{
}

FILE* pfileCassette;
byte bCasData;
int cbCasData;

void cas_fetch()
{
}

byte cas_read(int)
{
    return 0;
}

byte cas_write(int, byte)
{
    return 0;
}

int cmd_cassette(int, char**, const Switches*)
{
    return notyet("cassette");
}
