# Reads the output of `ctest -V` and prints one line per CTest test that
# ended, tab-separated:
#   name  status  gtest  passed  failed  skipped  seconds  failed-names
# status is CTest's verdict ("Passed", "Failed", "Timeout", "Not Run",
# "Exception: ..."); gtest is 1 when the test printed GoogleTest's summary,
# and passed/failed/skipped are then that summary's counts ("[  PASSED  ] N
# tests.", the "[  FAILED  ] Suite.Name" lines, "[  SKIPPED ] N tests").
# Only a test's last run counts (CTest may run a test that timed out once
# more). failed-names lists the failed GoogleTest tests, space-separated.
#
# ctest -V puts "N: " in front of each line of test N.
function number_of(line) {
  if (match(line, /^[0-9]+: /)) return substr(line, 1, RLENGTH - 2) + 0
  return current
}
function body_of(line) {
  sub(/^[0-9]+: /, "", line)
  return line
}
/^ *Start +[0-9]+: / {
  current = $2 + 0
  next
}
/^[0-9]+: Test command: / {
  n = number_of($0)
  current = n
  gtest[n] = 0; passed[n] = 0; failed[n] = 0; skipped[n] = 0; names[n] = ""
  for (key in seen) {
    split(key, part, SUBSEP)
    if (part[1] + 0 == n) delete seen[key]
  }
  next
}
/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {
  line = $0
  sub(/^ *[0-9]+\/[0-9]+ Test +#/, "", line)
  n = substr(line, 1, index(line, ":") - 1) + 0
  line = substr(line, index(line, ":") + 2)
  name[n] = line
  sub(/ .*/, "", name[n])
  verdict = line
  sub(/^[^ ]+ +\.* */, "", verdict)
  sub(/^\*+/, "", verdict)
  seconds[n] = verdict
  sub(/ +[0-9.]+ sec.*$/, "", verdict)
  status[n] = verdict == "" ? "?" : verdict
  if (match(seconds[n], /[0-9.]+ sec/)) seconds[n] = substr(seconds[n], RSTART, RLENGTH - 4)
  else seconds[n] = "?"
  if (!(n in listed)) {
    listed[n] = 1
    order[++ended] = n
  }
  next
}
{
  n = number_of($0)
  body = body_of($0)
  if (body ~ /^\[  PASSED  \] [0-9]+ tests?\./) {
    split(body, word, " ")
    gtest[n] = 1
    passed[n] = word[4] + 0
  } else if (body ~ /^\[  SKIPPED \] [0-9]+ tests?[.,]/) {
    split(body, word, " ")
    skipped[n] = word[4] + 0
  } else if (body ~ /^\[  FAILED  \] / && body !~ /^\[  FAILED  \] [0-9]+ tests?, listed below/) {
    split(body, word, " ")
    test = word[4]
    sub(/,$/, "", test)
    if (!((n, test) in seen)) {
      seen[n, test] = 1
      failed[n]++
      names[n] = names[n] (names[n] == "" ? "" : " ") test
    }
  }
}
END {
  for (i = 1; i <= ended; i++) {
    n = order[i]
    printf "%s\t%s\t%d\t%d\t%d\t%d\t%s\t%s\n", name[n], status[n], gtest[n], passed[n], failed[n], skipped[n], seconds[n], names[n]
  }
}
