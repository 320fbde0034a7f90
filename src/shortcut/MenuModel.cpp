// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuModel.h"

#include "Shortcut.h"

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <array>
#include <tuple>

namespace {

struct KeyCharacter {
    int qtKey;
    char16_t character;
};

// The characters menus use for keys that type no printable character.
constexpr auto keyCharacters = std::to_array<KeyCharacter>({
    {Qt::Key_Return, u'\r'},       {Qt::Key_Enter, u'\r'},      {Qt::Key_Tab, u'\t'},
    {Qt::Key_Backtab, u'\x19'},    {Qt::Key_Escape, u'\x1B'},   {Qt::Key_Backspace, u'\x08'},
    {Qt::Key_Up, u'\uF700'},       {Qt::Key_Down, u'\uF701'},   {Qt::Key_Left, u'\uF702'},
    {Qt::Key_Right, u'\uF703'},    {Qt::Key_Insert, u'\uF727'}, {Qt::Key_Delete, u'\uF728'},
    {Qt::Key_Home, u'\uF729'},     {Qt::Key_End, u'\uF72B'},    {Qt::Key_PageUp, u'\uF72C'},
    {Qt::Key_PageDown, u'\uF72D'}, {Qt::Key_Print, u'\uF72E'},  {Qt::Key_ScrollLock, u'\uF72F'},
    {Qt::Key_Pause, u'\uF730'},    {Qt::Key_SysReq, u'\uF731'}, {Qt::Key_Menu, u'\uF735'},
    {Qt::Key_Clear, u'\uF739'},    {Qt::Key_Help, u'\uF746'},
});

// "&Close" → "Close", "Save && Quit" → "Save & Quit": the title without its mnemonic marks.
QString plainTitle(const QString &text) {
    QString title;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        title += text[i];
    }
    return title;
}

} // namespace

std::pair<QString, quint64> MenuModel::keyEquivalent(const QKeySequence &shortcut) {
    if (shortcut.isEmpty())
        return {};
    const QKeyCombination combination = shortcut[0];
    const int key = combination.key();
    quint64 mask = Shortcut::modifierFlags(combination.keyboardModifiers());
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return {QChar(0xF704 + (key - Qt::Key_F1)), mask};
    const auto special = std::ranges::find(keyCharacters, key, &KeyCharacter::qtKey);
    if (special != keyCharacters.end())
        return {QChar(special->character), mask};
    if (key <= 0 || key >= Qt::Key_Escape)
        return {QString(), mask};
    // Below the special keys a Qt key is its character, letters in upper case. A menu writes a
    // letter with Shift as the upper-case letter and leaves Shift out of the mask.
    const char32_t code = char32_t(key);
    const QString character = QString::fromUcs4(&code, 1);
    const QString lower = character.toLower();
    if (lower != character && (mask & Shortcut::NSShiftKeyMask))
        return {character, mask & ~Shortcut::NSShiftKeyMask};
    return {lower, mask};
}

namespace {

// `open` holds the menus being read, so that a menu listed inside itself is read only once.
MenuModel menuModel(const QList<QAction *> &actions, QList<const QMenu *> &open) {
    MenuModel model;
    for (const QAction *action : actions) {
        if (action->isSeparator())
            continue;
        MenuItemModel item;
        item.title = plainTitle(action->text());
        std::tie(item.keyEquivalent, item.keyEquivalentModifierMask) =
            MenuModel::keyEquivalent(action->shortcut());
        const QMenu *submenu = action->menu();
        if (submenu && !open.contains(submenu)) {
            open.append(submenu);
            item.submenu = std::make_shared<const MenuModel>(menuModel(submenu->actions(), open));
            open.removeLast();
        }
        model.itemArray.push_back(std::move(item));
    }
    return model;
}

} // namespace

MenuModel MenuModel::fromActions(const QList<QAction *> &actions) {
    QList<const QMenu *> open;
    return menuModel(actions, open);
}
