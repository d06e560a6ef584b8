#include "library/StoryList.h"

#include "shell/Shared.h"

void ReadStoryList(Shared&) {}
void DrawStoryList(Shared&) {}
