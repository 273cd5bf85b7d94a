// Process entry: the show takes no arguments and reads no configuration.
#include "platform/demo_main.h"

int main() { return zelvik::DemoMain(); }
