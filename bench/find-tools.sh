# Sourced by the comparison scripts: sets $cli to keldar-cli (the script's first argument,
# $KELDAR_CLI, or the most recently built binary among the checkout's build directories) and
# $im_convert / $im_composite to ImageMagick's, or exits with status 2 saying what is missing.
here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
root=$(dirname "$here")
cli=${1:-${KELDAR_CLI:-}}
if [[ -z $cli ]]; then
  cli=$(ls -t "$root"/build*/src/cli/keldar-cli 2> /dev/null | head -n 1 || true)
fi
if [[ -z $cli || ! -x $cli ]]; then
  echo "keldar-cli not found: build it (cmake --build BUILD --target keldar-cli) or pass its path" >&2
  exit 2
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

# Prefer the distribution's ImageMagick binaries over any wrapper earlier in PATH.
pick() {
  if [[ -x /usr/bin/$1 ]]; then echo "/usr/bin/$1"; else command -v "$1" || true; fi
}
im_convert=$(pick convert)
im_composite=$(pick composite)
if [[ -z $im_convert || -z $im_composite ]]; then
  echo "ImageMagick (convert, composite) is not installed" >&2
  exit 2
fi
