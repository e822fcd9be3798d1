// The Glyphsmith desktop app.
#include "glyphsmith_views/application.hpp"

int main(int argc, char** argv) {
    return glyphsmith_views::runApplication(argc, argv);
}
