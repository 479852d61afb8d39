# optconst session: n menu cycles going round the nine materials in turn, each with its
# questions answered (void fraction 0 to 0.3, Si-c rate and oxygen content varied, silica
# stress -150 to -450 MPa so that every silica cycle runs its stress fit) and a
# wavelength between 250 and 1500 nm, or an energy in eV every seventh cycle. The
# session ends with -1 at the menu.
#   awk -v n=100000 -f optconst_menu.awk | optconst
BEGIN {
  if (n == "") n = 100000
  for (i = 0; i < n; i++) {
    nat = 1 + i % 9
    print nat
    if (nat == 3 || nat == 4 || nat == 5 || nat >= 7) printf "%.2f\n", 0.05 * (i % 7)
    if (nat == 3) printf "%d\n", -150 - 10 * (i % 31)
    if (nat >= 7) printf "%.2f\n", 0.1 * (i % 11)
    if (nat == 5) printf "%.2f\n", 0.2 * (i % 11)
    if (i % 7 == 6) printf "%.3f\n", 1.0 + 0.05 * (i % 97)
    else printf "%.1f\n", 250 + (i * 37) % 1251
  }
  print "-1"
}
