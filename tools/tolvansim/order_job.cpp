#include "tools/tolvansim/order_job.h"

#include "shared/order_job.h"

namespace cratemark::tolvansim {

Lines OrderJobLines(const std::vector<OrderLabel>& labels) {
  // The host leaves two empty lines before the item name.
  constexpr std::size_t kItemLine = kJobItemAreaFirst + 2;
  Lines job;
  const std::size_t count = labels.size();
  for (std::size_t k = 0; k < count; ++k) {
    const OrderLabel& label = labels[k];
    Lines block(kJobBlockLines);
    block[kJobReference] = label.reference;
    block[kJobRevenueCenter] = "*** Delivery ***";
    block[kJobEmployee] = "Maria (12)";
    block[kJobTransactionDescription] = "Order " + std::to_string(1000 + k);
    block[kJobTotal] = "Total:" + std::to_string(12 + 3 * count) + ".50";
    block[kJobOrderTime] = "Time: 18:3" + std::to_string(k % 10);
    block[kJobLabelHeader] = std::to_string(k + 1) + " of " + std::to_string(count) + " Labels";
    block[kJobAddress] = "14 Harbour Street";
    block[kJobCityAndTown] = "Portsmouth";
    block[kJobPhone] = "202-111-2222";
    block[kJobMapCode] = "Map: G3";
    block[kJobDirections] = "Second left after the bridge";
    block[kItemLine] = label.item;
    for (std::size_t m = 0; m < label.modifiers.size() && kItemLine + 1 + m <= kJobItemAreaLast;
         ++m) {
      block[kItemLine + 1 + m] = label.modifiers[m];
    }
    job.insert(job.end(), block.begin(), block.end());
  }
  return job;
}

}  // namespace cratemark::tolvansim
