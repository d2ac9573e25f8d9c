// The cassette interface: a host file read through the serial port page.
#pragma once

#include <cstdio>

#include "cpu.h"

struct Switches;

extern FILE* pfileCassette;
extern byte bCasData;
extern int cbCasData;

void cas_fetch();
byte cas_read(int offset);
byte cas_write(int offset, byte value);
int cmd_cassette(int argc, char** argv, const Switches* sw);
