#include "app/TonarelApplication.h"

START_JUCE_APPLICATION (TonarelApplication)
