#pragma once
class Shared;

// Reads the class's Menu.txt into StoryNames/StoryCount.
void ReadStoryList(Shared& m);
// Draws the story list and makes the selected story the current one.
void DrawStoryList(Shared& m);
