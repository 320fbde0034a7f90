// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Compares two version strings the way update feeds number their versions: each is split into
// runs of digits (compared as numbers), runs of letters and other text (compared as text) and
// separators ('.', '-', '_', spaces). Where the runs differ in kind, text is older than a
// number or a separator ("1.0a" < "1.0.1"); where one version goes on past the other, it is newer
// unless what follows is text ("1.0" < "1.0.1", but "1.0b1" < "1.0").
// Returns <0 when `a` is older than `b`, 0 when they are the same, >0 when `a` is newer.
int compareVersions(const QString &a, const QString &b);
