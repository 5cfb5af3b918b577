#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds a small C program
# against it twice (through find_package and through pkg-config) and runs it.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/tessik lib/libpellorkit.a lib/libtoolbox.a include/pellorkit.h include/toolbox/toolbox.h \
         lib/cmake/pellorkit/pellorkitConfig.cmake lib/pkgconfig/pellorkit.pc; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
"$prefix/bin/tessik" "$src/examples/video_settings.st" >/dev/null

expect="keyf 12"

cmake -S "$src/tests/consumer" -B "$work/cm" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cm" >/dev/null
got=$("$work/cm/consumer" "$src/examples/video_settings.st" "$work/out1.st")
[ "$got" = "$expect" ] || { echo "find_package consumer printed: $got"; exit 1; }

export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
cc -std=c11 -Wall -Wextra -Wpedantic -Werror -o "$work/pc-consumer" "$src/tests/consumer/consumer.c" \
   $(pkg-config --cflags --libs pellorkit)
got=$("$work/pc-consumer" "$src/examples/video_settings.st" "$work/out2.st")
[ "$got" = "$expect" ] || { echo "pkg-config consumer printed: $got"; exit 1; }

# The saved files list the new value.
report=$("$prefix/bin/tessik" "$work/out2.st")
grep -q '^+ \.\.\.keyf\[1\]: 00 00 00 0c ' <<<"$report" || { echo "saved file lacks the value"; exit 1; }

# The headers compile on their own in C and C++ with warnings as errors.
printf '#include <pellorkit.h>\nint main(void) { return g_verbosity - 1; }\n' > "$work/h.c"
cc -std=c11 -Wall -Wextra -Wpedantic -Werror -I"$prefix/include" -c "$work/h.c" -o "$work/h.o"
cp "$work/h.c" "$work/h.cpp"
c++ -std=c++17 -Wall -Wextra -Wpedantic -Werror -I"$prefix/include" -c "$work/h.cpp" -o "$work/hpp.o"
echo "install test passed"
