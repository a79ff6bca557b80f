#include "driver/pipeline.h"

int main(int argc, char** argv) { return bexora::runProgram(argc, argv); }
