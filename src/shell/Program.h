// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The whole program: the application, the one-copy lock, the session and
// the main window, run until the program ends.

#include <functional>

class QWidget;

// Runs the program; `beforeShow`, when given, sees the main window just
// before it is first shown (the start-up benchmark watches its paint).
int RunProgram(int argc, char** argv, const std::function<void(QWidget&)>& beforeShow = {});
