// Filled in by its module's author.
