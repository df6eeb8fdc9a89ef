#include "platform/listing_fallback.h"

bool ListingFallback::List(const std::function<ListingOutcome(ListingForm)>& list) {
    if (!plainOnly_.load(std::memory_order_relaxed)) {
        const ListingOutcome outcome = list(ListingForm::Fast);
        if (outcome != ListingOutcome::Refused) return outcome == ListingOutcome::Listed;
        plainOnly_.store(true, std::memory_order_relaxed);
    }
    return list(ListingForm::Plain) == ListingOutcome::Listed;
}
