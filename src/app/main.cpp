#include "platform/app.h"

int main(int argc, char** argv) { return platform::AfxWinMain(argc, argv); }
