// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The numbers of the program file's resources, for its resource script and for the code that loads
// them. Plain macros: the resource compiler reads this file too.

#define PELINDRA_RES_PROGRAM_ICON 1 // ICON

// RCDATA: the files of assets/, byte for byte.
#define PELINDRA_RES_FONT_REGULAR 101
#define PELINDRA_RES_FONT_HEAVY 102
#define PELINDRA_RES_BANNER 201
#define PELINDRA_RES_BLOCK 202
#define PELINDRA_RES_ABOUT_PICTURE 203
