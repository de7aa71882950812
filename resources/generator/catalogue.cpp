#include "catalogue.h"

namespace artgen {

Catalogue buildCatalogue() {
    Catalogue catalogue;
    addTextButtonFaces(catalogue.png);
    addCarouselButtons(catalogue.png);
    addCaptionButtons(catalogue.png);
    addRowActionButtons(catalogue.png);
    addAlertPictures(catalogue.png);
    addGridPictures(catalogue.png, catalogue.bitmaps);
    addWindowFrame(catalogue.png);
    addTooltipPictures(catalogue.png);
    catalogue.waitingNumber = 22002;
    catalogue.waiting = waitingAnimation();
    catalogue.iconNumber = 131;
    catalogue.iconImages = productIconImages();
    return catalogue;
}

} // namespace artgen
