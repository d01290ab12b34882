#include "UpdaterApp.h"

int main(int argc, char** argv) { UpdaterApp().Run(argc, argv); }
