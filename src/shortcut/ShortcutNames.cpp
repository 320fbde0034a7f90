// SPDX-License-Identifier: GPL-3.0-or-later
// The names of a shortcut's key and modifiers.
#include "Shortcut.h"

#include "KeyCodes.h"
#include "Strings.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

struct KeyName {
    quint64 keyCode;
    const char16_t *name;
};

// Keys named the same whatever the layout. The keypad reads like the main keyboard, its minus as
// an en dash. F20 (90) is left to the layout.
constexpr auto specialKeyNames = std::to_array<KeyName>({
    {36, u"\u21A9"},  {48, u"\u21E5"},  {51, u"\u232B"},  {53, u"\u238B"},  {64, u"F17"},
    {65, u"."},       {67, u"*"},       {69, u"+"},       {71, u"\u2327"},  {75, u"/"},
    {76, u"\u2305"},  {78, u"\u2013"},  {79, u"F18"},     {80, u"F19"},     {81, u"="},
    {82, u"0"},       {83, u"1"},       {84, u"2"},       {85, u"3"},       {86, u"4"},
    {87, u"5"},       {88, u"6"},       {89, u"7"},       {91, u"8"},       {92, u"9"},
    {96, u"F5"},      {97, u"F6"},      {98, u"F7"},      {99, u"F3"},      {100, u"F8"},
    {101, u"F9"},     {103, u"F11"},    {105, u"F13"},    {106, u"F16"},    {107, u"F14"},
    {109, u"F10"},    {111, u"F12"},    {113, u"F15"},    {114, u"?"},      {115, u"\u2196"},
    {116, u"\u21DE"}, {117, u"\u2326"}, {118, u"F4"},     {119, u"\u2198"}, {120, u"F2"},
    {121, u"\u21DF"}, {122, u"F1"},     {123, u"\u2190"}, {124, u"\u2192"}, {125, u"\u2193"},
    {126, u"\u2191"},
});

// The private-use characters that menus use as key equivalents of F1–F19.
constexpr auto functionKeyEquivalents = std::to_array<KeyName>({
    {122, u"\uF704"}, {120, u"\uF705"}, {99, u"\uF706"},  {118, u"\uF707"}, {96, u"\uF708"},
    {97, u"\uF709"},  {98, u"\uF70A"},  {100, u"\uF70B"}, {101, u"\uF70C"}, {109, u"\uF70D"},
    {103, u"\uF70E"}, {111, u"\uF70F"}, {105, u"\uF710"}, {107, u"\uF711"}, {113, u"\uF712"},
    {106, u"\uF713"}, {64, u"\uF714"},  {79, u"\uF715"},  {80, u"\uF716"},
});

std::optional<QString> lookUp(std::span<const KeyName> table, quint64 keyCode) {
    const auto row = std::ranges::find(table, keyCode, &KeyName::keyCode);
    if (row == table.end())
        return std::nullopt;
    return QString::fromUtf16(row->name);
}

// Letters, marks, digits, punctuation and symbols: what a key name may show. Anything else
// (control characters, spaces, unassigned code points) would show as nothing.
bool isTypeable(QChar c) {
    switch (c.category()) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return true;
    default:
        return false;
    }
}

} // namespace

QString Shortcut::keyCodeString(const KeyboardLayout &layout) const {
    if (keyCode_ == NSNotFound)
        return {};
    if (keyCode_ == 49)
        return localizedString(QT_TRANSLATE_NOOP("Quillmere", "Space"));
    if (const auto name = lookUp(specialKeyNames, keyCode_))
        return *name;
    const std::optional<quint32> xkbKeyCode = KeyCodes::xkbKeyCode(keyCode_);
    const QString character = xkbKeyCode ? layout.unshiftedCharacter(*xkbKeyCode) : QString();
    if (!std::ranges::all_of(character, isTypeable))
        return {};
    return character.toUpper();
}

QString Shortcut::modifierFlagsString() const {
    QString glyphs;
    if (modifierFlags_ & NSControlKeyMask)
        glyphs += QChar(0x2303);
    if (modifierFlags_ & NSAlternateKeyMask)
        glyphs += QChar(0x2325);
    if (modifierFlags_ & NSShiftKeyMask)
        glyphs += QChar(0x21E7);
    if (modifierFlags_ & NSCommandKeyMask)
        glyphs += QChar(0x2318);
    return glyphs;
}

QString Shortcut::description(const KeyboardLayout &layout) const {
    return modifierFlagsString() + keyCodeString(layout);
}

QString Shortcut::keyCodeStringForKeyEquivalent(const KeyboardLayout &layout) const {
    const QString name = keyCodeString(layout);
    if (name.size() < 2)
        return name.toLower();
    if (keyCode_ == 49)
        return QStringLiteral(" ");
    return lookUp(functionKeyEquivalents, keyCode_).value_or(QString());
}
