# waferbow session: the first pass with the default wafer, then n continue passes whose
# silicon and silica thicknesses vary around the first state (silicon 520 to 530 um,
# silica 0.95 to 1.05 um), the moment kept at its default. Each pass runs its own
# regression from the first state; the session ends at the end of the input.
#   awk -v n=10000 -f waferbow_continue.awk | waferbow
BEGIN {
  if (n == "") n = 10000
  for (k = 0; k < 6; k++) print "/"   # bow, diameter, thicknesses, moduli: defaults
  print "0"                           # enter the continue pass
  for (i = 0; i < n; i++) {
    printf "%d\n", 520 + i % 11
    printf "%.2f\n", 0.95 + 0.01 * ((i * 7) % 11)
    print "/"                         # moment: keep
    print "0"                         # continue
  }
}
