#pragma once

// Registers the program's own Qt resources (the blank page); safe to call more than once.
void InitProgramResources();
