#include "QtApplicationStart.h"
#include "UpdaterApp.h"

int main(int argc, char** argv) { StartQtApplication(argc, argv, UpdaterApp()); }
