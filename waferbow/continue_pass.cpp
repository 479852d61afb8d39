#include "waferbow/continue_pass.hpp"

#include "waferbow/prediction.hpp"

namespace waferbow {

continue_prediction predict_continue_pass(const first_state& s, const double& h1, const double& h2, const double& t,
                                          const double& d, vector3& xs) {
  continue_prediction p{};
  regression(s, h1, h2, t, xs, p.regressions, p.g, p.events);
  predicted_state(s, h1, h2, t, d, p.g, p.bow, p.report);
  return p;
}

}  // namespace waferbow
