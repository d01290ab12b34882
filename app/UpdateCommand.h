#pragma once

class MainWindow;

// The Update button's command: read the firmware folder into the two images
// and start the programming worker.
void RunUpdateCommand(MainWindow& window);
