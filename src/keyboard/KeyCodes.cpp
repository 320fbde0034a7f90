// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyCodes.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

struct Row {
    quint64 virtualKeyCode;
    quint32 xkbKeyCode;
};

// One row per virtual key code. Where a key has no PC twin, the nearest PC key stands in:
// Help is the PC Insert key, keypad Clear is Num Lock, JIS keypad comma is KP_Separator (129),
// 0x6E is the Menu key. Function (472) is above 255, so core X11 never delivers it.
constexpr std::array rows = std::to_array<Row>({
    {0, 38},    // ANSI_A
    {1, 39},    // ANSI_S
    {2, 40},    // ANSI_D
    {3, 41},    // ANSI_F
    {4, 43},    // ANSI_H
    {5, 42},    // ANSI_G
    {6, 52},    // ANSI_Z
    {7, 53},    // ANSI_X
    {8, 54},    // ANSI_C
    {9, 55},    // ANSI_V
    {10, 94},   // ISO_Section
    {11, 56},   // ANSI_B
    {12, 24},   // ANSI_Q
    {13, 25},   // ANSI_W
    {14, 26},   // ANSI_E
    {15, 27},   // ANSI_R
    {16, 29},   // ANSI_Y
    {17, 28},   // ANSI_T
    {18, 10},   // ANSI_1
    {19, 11},   // ANSI_2
    {20, 12},   // ANSI_3
    {21, 13},   // ANSI_4
    {22, 15},   // ANSI_6
    {23, 14},   // ANSI_5
    {24, 21},   // ANSI_Equal
    {25, 18},   // ANSI_9
    {26, 16},   // ANSI_7
    {27, 20},   // ANSI_Minus
    {28, 17},   // ANSI_8
    {29, 19},   // ANSI_0
    {30, 35},   // ANSI_RightBracket
    {31, 32},   // ANSI_O
    {32, 30},   // ANSI_U
    {33, 34},   // ANSI_LeftBracket
    {34, 31},   // ANSI_I
    {35, 33},   // ANSI_P
    {36, 36},   // Return
    {37, 46},   // ANSI_L
    {38, 44},   // ANSI_J
    {39, 48},   // ANSI_Quote
    {40, 45},   // ANSI_K
    {41, 47},   // ANSI_Semicolon
    {42, 51},   // ANSI_Backslash
    {43, 59},   // ANSI_Comma
    {44, 61},   // ANSI_Slash
    {45, 57},   // ANSI_N
    {46, 58},   // ANSI_M
    {47, 60},   // ANSI_Period
    {48, 23},   // Tab
    {49, 65},   // Space
    {50, 49},   // ANSI_Grave
    {51, 22},   // Delete
    {53, 9},    // Escape
    {54, 134},  // RightCommand
    {55, 133},  // Command
    {56, 50},   // Shift
    {57, 66},   // CapsLock
    {58, 64},   // Option
    {59, 37},   // Control
    {60, 62},   // RightShift
    {61, 108},  // RightOption
    {62, 105},  // RightControl
    {63, 472},  // Function
    {64, 195},  // F17
    {65, 91},   // ANSI_KeypadDecimal
    {67, 63},   // ANSI_KeypadMultiply
    {69, 86},   // ANSI_KeypadPlus
    {71, 77},   // ANSI_KeypadClear
    {72, 123},  // VolumeUp
    {73, 122},  // VolumeDown
    {74, 121},  // Mute
    {75, 106},  // ANSI_KeypadDivide
    {76, 104},  // ANSI_KeypadEnter
    {78, 82},   // ANSI_KeypadMinus
    {79, 196},  // F18
    {80, 197},  // F19
    {81, 125},  // ANSI_KeypadEquals
    {82, 90},   // ANSI_Keypad0
    {83, 87},   // ANSI_Keypad1
    {84, 88},   // ANSI_Keypad2
    {85, 89},   // ANSI_Keypad3
    {86, 83},   // ANSI_Keypad4
    {87, 84},   // ANSI_Keypad5
    {88, 85},   // ANSI_Keypad6
    {89, 79},   // ANSI_Keypad7
    {90, 198},  // F20
    {91, 80},   // ANSI_Keypad8
    {92, 81},   // ANSI_Keypad9
    {93, 132},  // JIS_Yen
    {94, 97},   // JIS_Underscore
    {95, 129},  // JIS_KeypadComma
    {96, 71},   // F5
    {97, 72},   // F6
    {98, 73},   // F7
    {99, 69},   // F3
    {100, 74},  // F8
    {101, 75},  // F9
    {102, 131}, // JIS_Eisu
    {103, 95},  // F11
    {104, 130}, // JIS_Kana
    {105, 191}, // F13
    {106, 194}, // F16
    {107, 192}, // F14
    {109, 76},  // F10
    {110, 135}, // ContextualMenu
    {111, 96},  // F12
    {113, 193}, // F15
    {114, 118}, // Help
    {115, 110}, // Home
    {116, 112}, // PageUp
    {117, 119}, // ForwardDelete
    {118, 70},  // F4
    {119, 115}, // End
    {120, 68},  // F2
    {121, 117}, // PageDown
    {122, 67},  // F1
    {123, 113}, // LeftArrow
    {124, 114}, // RightArrow
    {125, 116}, // DownArrow
    {126, 111}, // UpArrow
});

// XKB keys that map onto a virtual key code already taken by the PC key above: a keyboard with
// a real Help key sends 146, which is Help too.
constexpr std::array extraRows = std::to_array<Row>({
    {114, 146}, // Help
});

} // namespace

std::optional<quint32> KeyCodes::xkbKeyCode(quint64 virtualKeyCode) {
    const auto row = std::ranges::find(rows, virtualKeyCode, &Row::virtualKeyCode);
    if (row == rows.end())
        return std::nullopt;
    return row->xkbKeyCode;
}

std::optional<quint64> KeyCodes::virtualKeyCode(quint32 xkbKeyCode) {
    for (const auto &table : {std::span<const Row>(rows), std::span<const Row>(extraRows)}) {
        const auto row = std::ranges::find(table, xkbKeyCode, &Row::xkbKeyCode);
        if (row != table.end())
            return row->virtualKeyCode;
    }
    return std::nullopt;
}
