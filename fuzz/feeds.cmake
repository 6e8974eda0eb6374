# Feed document readers.
