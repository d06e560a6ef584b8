// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Program.h"

int main(int argc, char** argv) { return RunProgram(argc, argv); }
