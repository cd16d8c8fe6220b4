#include "batch/app.h"

int main(int argc, char** argv) {
    tomeo::Globals globals;
    return tomeo::RunTomeo(argc, argv, globals);
}
