// The program's entry point: the one application object, run by the
// framework. The build constants of the program are linked beside it.
#include "app/ZelExportApp.h"

CZelExportApp theApp;

int main() { return ui::RunApplication(theApp); }
