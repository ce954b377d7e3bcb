# Checks an installed zantrel below a prefix: the program runs and says its
# version, and the man page, the completions and the README are where man,
# bash, zsh and a reader look. Sourced by the package tests.

# check_installed PREFIX VERSION-LINE
check_installed() {
  local prefix=$1 version=$2
  local expected=(
    bin/zantrel
    share/bash-completion/completions/zantrel
    share/doc/zantrel/README.md
    share/man/man1/zantrel.1.gz
    share/zsh/vendor-completions/_zantrel
  )
  local found
  found=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
  if [ "$found" != "${expected[*]} " ]; then
    echo "installed files: $found" >&2
    echo "expected:        ${expected[*]}" >&2
    return 1
  fi
  [ -x "$prefix/bin/zantrel" ] || { echo "bin/zantrel is not executable" >&2; return 1; }

  local out
  out=$("$prefix/bin/zantrel" --version)
  [ "$out" = "$version" ] || { echo "--version printed \"$out\", not \"$version\"" >&2; return 1; }

  if command -v man >/dev/null; then
    # -w: where man finds the page, looking only below this prefix.
    out=$(MANPATH="$prefix/share/man" man -w zantrel)
    [ "$out" = "$prefix/share/man/man1/zantrel.1.gz" ] || { echo "man found \"$out\"" >&2; return 1; }
  fi

  out=$(bash --norc --noprofile -c '
    source "$1"
    COMP_WORDBREAKS="= "
    COMP_LINE="zantrel -dt="; COMP_POINT=${#COMP_LINE}
    COMP_WORDS=(zantrel -dt =); COMP_CWORD=2
    _zantrel
    echo "${COMPREPLY[*]}"' sh "$prefix/share/bash-completion/completions/zantrel")
  [ "$out" = "C A W E" ] || { echo "the installed completion offers \"$out\" after -dt=" >&2; return 1; }
}
