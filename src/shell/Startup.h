#pragma once
#include <QSize>

class Shared;

// The first start-up step: state, timer, palette, data root.
void Initialise(Shared& m);
// The second: coordinates, layout for the screen, canvas geometry, buffers.
void LoadStep(Shared& m, QSize screen);

// The question both ways of quitting ask; true when the child says はい.
bool ConfirmQuit(Shared& m);
// "おわり" on the story panel.
void Command4_Click(Shared& m);
