#!/usr/bin/env bash
# The test command must pass on a fresh clone with nothing beside it: no tracked file may name the
# folder outside the repository that the project's first test data came from, and every file under
# tests/ must be one that a clone gets (not ignored, not left untracked).
# Usage: self-contained.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "нет рабочей копии git в $1: проверять нечего" >&2
  exit 1
fi
status=0
# Written so that this file does not match itself.
outside='\.\./shared|/work/[s]hared'
if git grep -nIE "$outside" -- . ; then
  echo "Файлы выше ссылаются на папку вне репозитория" >&2
  status=1
fi
missing=$(git ls-files --others -- tests)
if [ -n "$missing" ]; then
  printf '%s\n' "$missing"
  echo "Эти файлы тестов не попадут в клон (не добавлены в git или скрыты .gitignore)" >&2
  status=1
fi
exit $status
