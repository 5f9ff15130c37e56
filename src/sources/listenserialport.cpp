#include "shell/frmmain.h"

void frmMain::Command1_Click() { }
void frmMain::ListenSerialPort() { }
void frmMain::StopListening() { }
