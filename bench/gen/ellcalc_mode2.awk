# ellcalc: n cycles of mode 2 (substrate index from Psi and Delta), with varying answers.
BEGIN {
  for (i = 0; i < n; i++) {
    print 2
    printf "%.1f\n", 400 + (i % 500)
    printf "%.2f\n", 50 + (i % 25)
    printf "%.3f\n", 10 + (i % 70) * 0.5
    printf "%.3f\n", 60 + (i % 120)
  }
}
