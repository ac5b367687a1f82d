#include "app/TonarelLookAndFeel.h"

TonarelLookAndFeel::TonarelLookAndFeel() = default;

TonarelLookAndFeel::~TonarelLookAndFeel() = default;
