// The program: the batch runs without any display; only window mode starts Qt.
#include <QApplication>

#include "batch/app.h"

namespace {

class QtWindowMode : public tomeo::WindowMode {
public:
    QtWindowMode(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    int Run(tomeo::Globals&, tomeo::RunBuffers&, const char*, const char*) override {
        QApplication app(argc_, argv_);
        return 0;
    }

private:
    int& argc_;
    char** argv_;
};

}  // namespace

int main(int argc, char** argv) {
    tomeo::Globals globals;
    QtWindowMode window(argc, argv);
    return tomeo::RunTomeo(argc, argv, globals, &window);
}
