#!/usr/bin/env bash
# The commit the programs name (cmake/build_info.cmake): "-modified" only when a tracked file's
# content differs from the commit, not after a file was merely touched, and not for untracked files.
#   build_info_test.sh path/to/build_info.cmake
set -u
script="$1"
repo="$(mktemp -d)"
trap 'rm -rf "$repo"' EXIT
fail=0
commit_of() {
  cmake -DSOURCE_DIR="$repo" -DOUTPUT="$repo.out/build_info.cpp" -DVERSION=1.2.3 -P "$script" || return 1
  sed -n 's/.*buildCommit() { return "\(.*\)"; }/\1/p' "$repo.out/build_info.cpp"
}
expect() {
  local what="$1" wanted="$2" got
  got="$(commit_of)"
  if [ "$got" != "$wanted" ]; then
    echo "FAIL: $what: \"$got\", expected \"$wanted\""
    fail=1
  fi
}
mkdir -p "$repo.out"
trap 'rm -rf "$repo" "$repo.out"' EXIT
git -C "$repo" init -q
echo 'int main() {}' >"$repo/main.cpp"
git -C "$repo" add main.cpp
git -C "$repo" -c user.name=t -c user.email=t@t commit -qm first
head="$(git -C "$repo" rev-parse --short=12 HEAD)"
expect "a clean clone" "$head"
sleep 1
touch "$repo/main.cpp"
expect "after touching a file" "$head"
echo 'scratch' >"$repo/untracked.txt"
expect "with an untracked file" "$head"
echo '// changed' >>"$repo/main.cpp"
expect "after changing a file" "$head-modified"
git -C "$repo" checkout -q main.cpp
git -C "$repo" rm -q --cached main.cpp
expect "with a removal staged" "$head-modified"
exit $fail
