// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "library/LibraryState.h"

void InitClassNames(LibraryState& library) {
  static const QString kDigits = QStringLiteral("１２３４５６");
  for (int k = 0; k < 30; ++k) {
    library.classNames[k] = kDigits.at(k / 5) + QStringLiteral("年") + kDigits.at(k % 5) +
                          QStringLiteral("組");
  }
}
