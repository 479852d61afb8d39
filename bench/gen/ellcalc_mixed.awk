# ellcalc: n menu cycles going round the seven modes in turn. Each round of seven works on
# one sample (wavelength 400 to 900 nm, angle 50 to 75 degrees, a silicon-like substrate,
# a film of index 1.44 to 2.1 and 5 to 400 nm thick):
#   1 Psi and Delta of the film;  2 index of the film-free substrate with the same Psi and
#   Delta;  3 thickness back at the film index;  4 thickness and index back from a starting
#   index 3% low;  5 rp, rs;  6 harmonics on a rotating-compensator instrument (polariser
#   90 or 45, retardance 85 to 95, top zero 0 to 2, analyser -45 or 45);  7 Psi and Delta
#   from measured harmonics on the standard instrument, at several measurement scales.
# The session ends at the end of the input.
#   awk -v n=100000 -f ellcalc_mixed.awk | ellcalc
BEGIN {
  if (n == "") n = 100000
  for (i = 0; i < n; i++) {
    g = int(i / 7)
    mode = 1 + i % 7
    wl = 400 + (g * 37) % 501
    phi = 50 + (g * 7) % 26
    sub_ = sprintf("(%.3f,%.4f)", 3.6 + 0.05 * (g % 13), -0.002 * (g % 10))
    an = 1.44 + 0.02 * (g % 34)
    ep = 5 + (g * 53) % 396
    print mode
    if (mode == 1) {
      printf "%.1f\n%.2f\n%s\n%.4f\n%.1f\n", wl, phi, sub_, an, ep
    } else if (mode == 2) {
      print "/"; print "/"; print "/"; print "/"      # Psi and Delta of mode 1
    } else if (mode == 3) {
      print "/"; print "/"; print sub_; print "/"; print "/"; print "/"
    } else if (mode == 4) {
      print "/"; print "/"; print "/"; printf "%.4f\n", 0.97 * an; print "/"; print "/"
    } else if (mode == 5) {
      print "/"; print "/"; print "/"; print "/"; print "/"
    } else if (mode == 6) {
      print "/"; print "/"; print "/"; print "/"; print "/"
      printf "%d\n%.1f\n0\n%.1f\n%d\n", (g % 2 ? 45 : 90), 85 + g % 11, 0.5 * (g % 5), (g % 3 ? -45 : 45)
    } else {
      print "/"; print "/"; print "/"
      print "90"; print "90"; print "0"; print "0"; print "-45"
      s = 0.5 + 0.25 * (g % 7)
      printf "%.6f %.6f %.3f %.6f %.3f\n", 2.819 * s, 2.266 * s, 92.776 + 0.2 * (g % 5), 0.417 * s, 45.034 - 0.3 * (g % 4)
    }
  }
}
