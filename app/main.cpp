#include "app/COvaneApp.h"

int main(int argc, char* argv[]) {
    COvaneApp app(argc, argv);
    if (!app.InitInstance()) {
        return 1;
    }
    return app.exec();
}
