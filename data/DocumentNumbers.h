#pragma once
// The number a new document is stored under: the one the program proposed when it was started, or,
// when another workplace stored a document of the kind under that number meanwhile, the next free one.

namespace vi23 {

class DataSet;

// For the documents' data set (DataSet::whileStoringNew): inside the unit of work that stores a new
// document, with other workplaces' numbering held off, a proposed number that a stored document of
// the same kind has becomes the next number none has. A number typed by the user is kept as typed.
void numberNewDocument(DataSet& documents);

} // namespace vi23
