#include "app/gui/Application.h"

int main(int argc, char** argv) { return velcor::app::runApplication(argc, argv); }
