<TS language="ru"><context><name>a</name><message numerus="yes"><source>%n x</source><translation><numerusform>a</numerusform></translation></message></context></TS>
