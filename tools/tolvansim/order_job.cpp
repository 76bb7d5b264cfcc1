#include "tools/tolvansim/order_job.h"

namespace cratemark::tolvansim {

Lines OrderJobLines(const std::vector<OrderLabel>& labels) {
  Lines job;
  const std::size_t count = labels.size();
  for (std::size_t k = 0; k < count; ++k) {
    const OrderLabel& label = labels[k];
    Lines block(100);
    block[0] = label.reference;
    block[1] = "*** Delivery ***";
    block[2] = "Maria (12)";
    block[3] = "Order " + std::to_string(1000 + k);
    block[4] = "Total:" + std::to_string(12 + 3 * count) + ".50";
    block[5] = "Time: 18:3" + std::to_string(k % 10);
    block[6] = std::to_string(k + 1) + " of " + std::to_string(count) + " Labels";
    block[7] = "14 Harbour Street";
    block[8] = "Portsmouth";
    block[9] = "202-111-2222";
    block[10] = "Map: G3";
    block[11] = "Second left after the bridge";
    block[22] = label.item;
    for (std::size_t m = 0; m < label.modifiers.size() && 23 + m < 100; ++m) {
      block[23 + m] = label.modifiers[m];
    }
    job.insert(job.end(), block.begin(), block.end());
  }
  return job;
}

}  // namespace cratemark::tolvansim
