#!/bin/sh
# Makes the README's pictures: the program's windows photographed on a
# virtual X server by the screenshot test, copied to docs/images.
# Usage: sh tools/make_pictures.sh
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake >/dev/null
cmake --build build -j2 --target screenshot_tests url_recorder native_tools
ctest --test-dir build -R screenshot_tests --output-on-failure
mkdir -p docs/images
cp build/pictures/main-window.png docs/images/main-window.png
cp build/pictures/dpi144/main-window.png docs/images/main-window-150.png
cp build/pictures/select-port-over-main.png docs/images/select-port.png
cp build/pictures/about-over-main.png docs/images/about-box.png
cp build/pictures/coloured-lines.png docs/images/coloured-lines.png
cp build/pictures/terminal-view.png docs/images/terminal-view.png
echo "pictures written to docs/images"
