#include "shell/Session.h"

#include "editor/CardEditing.h"

Session::Session(Dialogs& dialogs) : dialogs(dialogs), narration(dialogs) { ShowLoadedCards(editor, deck); }
