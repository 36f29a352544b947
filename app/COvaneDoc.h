#pragma once
// The document of the document/view pairing. It stores and serialises nothing: the painting belongs to
// the view, which reads and writes paint documents itself.

class COvaneDoc {
public:
    COvaneDoc() = default;
};
