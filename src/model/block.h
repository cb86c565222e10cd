// Blocks, classes, instances and the directives that copy blocks, with the
// factories of declarations and formulas, the typed look-ups and the
// resolution of references. A factory that makes a block, class, instance,
// parameter, variable or CCF group named by a single identifier enters it in
// the dictionary only when no declaration of that identifier is there yet: a
// second declaration of a name stays in the list only (what look-ups find is
// the first).
#ifndef KEFO_MODEL_BLOCK_H
#define KEFO_MODEL_BLOCK_H

#include "model/container.h"

#include <vector>

class KEFOAliasing;
class KEFOCCFGroup;
class KEFOGate;
class KEFOParameter;
class KEFOStochasticExpression;
class KEFOVariable;

class KEFOBlock : public KEFOContainer {
    PLOV_MANAGED_ALLOCATION(KEFOBlock)
public:
    KEFOBlock(int type, KEFOContainer* owner, KEFOPath* path);
    ~KEFOBlock() override;

    // Meaningful on the model: paths of a pure model are never split at dots.
    bool IsPure() const { return _pure; }
    void SetPure(bool pure) { _pure = pure; }
    // Whether the model this block belongs to is pure.
    bool IsInPureModel() const;
    // A path from text, split at dots unless the model is pure.
    KEFOPath* NewPath(const char* text) const;

    // The class of an instance, the block a clones directive copies, the
    // class or block an extends directive extends (owned).
    KEFOPath* GetCloningPath() const { return _cloningPath; }
    const char* GetCloningPathAsString() const;
    void SetCloningPath(KEFOPath* path);

    // Declaration factories (each takes ownership of its paths).
    KEFOBlock* NewBlock(KEFOPath* path);
    KEFOBlock* NewClass(KEFOPath* path);
    KEFOBlock* NewInstance(KEFOPath* path, KEFOPath* classPath);
    // An extends directive has no name; the path is the extended one.
    KEFOBlock* NewExtendsDirective(KEFOPath* extendedPath);
    KEFOBlock* NewClonesDirective(KEFOPath* path, KEFOPath* clonedPath);
    KEFOAliasing* NewEmbedsDirective(KEFOPath* path, KEFOPath* embeddedPath);
    KEFOParameter* NewParameter(KEFOPath* path);
    // type: a KEFOType code 301 to 304 (another code makes 301).
    KEFOVariable* NewVariable(int type, KEFOPath* path);
    // type: a KEFOType code 401 to 404 (another code makes 401).
    KEFOCCFGroup* NewCCFGroup(int type, KEFOPath* path);
    // The same from text (split as NewPath does).
    KEFOBlock* NewBlock(const char* path) { return NewBlock(NewPath(path)); }
    KEFOBlock* NewClass(const char* path) { return NewClass(NewPath(path)); }
    KEFOBlock* NewInstance(const char* path, const char* classPath) {
        return NewInstance(NewPath(path), NewPath(classPath));
    }
    KEFOParameter* NewParameter(const char* path);
    KEFOVariable* NewVariable(int type, const char* path) { return NewVariable(type, NewPath(path)); }
    KEFOCCFGroup* NewCCFGroup(int type, const char* path) { return NewCCFGroup(type, NewPath(path)); }

    // Formula factories: terms made with this block as owner.
    KEFOGate* NewVariableReference(int type, KEFOPath* path);
    KEFOGate* NewVariableReference(int type, const char* path) { return NewVariableReference(type, NewPath(path)); }
    KEFOGate* NewVariableReference(KEFOVariable* variable);
    KEFOGate* NewConstant(bool value);
    KEFOGate* NewGate(int type);
    KEFOGate* NewAnd(const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewOr(const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewNand(const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewNor(const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewAtLeast(int k, const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewAtMost(int k, const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewCardinality(int min, int max, const std::vector<KEFOGate*>& children = {});
    KEFOGate* NewNot(KEFOGate* gate);
    KEFOGate* CopyGate(const KEFOGate* gate);
    void DeleteGate(KEFOGate* gate);
    KEFOStochasticExpression* NewParameterReference(KEFOPath* path);
    KEFOStochasticExpression* NewParameterReference(const char* path) { return NewParameterReference(NewPath(path)); }
    KEFOStochasticExpression* NewParameterReference(KEFOParameter* parameter);
    KEFOStochasticExpression* NewBooleanExpression(bool value);
    KEFOStochasticExpression* NewIntegerExpression(int value);
    KEFOStochasticExpression* NewRealExpression(double value);
    KEFOStochasticExpression* NewStringExpression(const char* value);
    KEFOStochasticExpression* NewStochasticExpression(int type);
    KEFOStochasticExpression* NewStochasticExpression(int type, const std::vector<KEFOStochasticExpression*>& children);
    KEFOStochasticExpression* NewStochasticExpression(int type, KEFOStochasticExpression* child1);
    KEFOStochasticExpression* NewStochasticExpression(int type, KEFOStochasticExpression* child1,
                                                      KEFOStochasticExpression* child2);
    KEFOStochasticExpression* NewStochasticExpression(int type, KEFOStochasticExpression* child1,
                                                      KEFOStochasticExpression* child2,
                                                      KEFOStochasticExpression* child3);
    KEFOStochasticExpression* CopyStochasticExpression(const KEFOStochasticExpression* expression);

    // Typed look-ups by path from this block (see
    // KEFOContainer::LookForDeclarationInDictionary). They answer null when
    // nothing is found; when a declaration of another kind is found they
    // answer null with the mismatch flag set. LookForVariable answers any
    // variable; with a type it narrows: 301 accepts any variable, 302
    // undetermined or state variables, 303 undetermined or flow variables,
    // 304 undetermined or source variables; a variable that does not fit is
    // answered with the mismatch flag set.
    KEFOBlock* LookForBlock(const KEFOPath* path, bool& mismatch) const;
    KEFOBlock* LookForClass(const KEFOPath* path, bool& mismatch) const;
    KEFOParameter* LookForParameter(const KEFOPath* path, bool& mismatch) const;
    KEFOVariable* LookForVariable(const KEFOPath* path, bool& mismatch) const;
    KEFOVariable* LookForVariable(int type, const KEFOPath* path, bool& mismatch) const;
    KEFOVariable* LookForStateVariable(const KEFOPath* path, bool& mismatch) const;
    KEFOVariable* LookForFlowVariable(const KEFOPath* path, bool& mismatch) const;
    KEFOVariable* LookForSourceVariable(const KEFOPath* path, bool& mismatch) const;
    KEFOCCFGroup* LookForCCFGroup(const KEFOPath* path, bool& mismatch) const;
    // The same from text (split as NewPath does).
    KEFOBlock* LookForBlock(const char* path, bool& mismatch) const;
    KEFOParameter* LookForParameter(const char* path, bool& mismatch) const;
    KEFOVariable* LookForVariable(const char* path, bool& mismatch) const;
    KEFOVariable* LookForVariable(int type, const char* path, bool& mismatch) const;
    KEFOCCFGroup* LookForCCFGroup(const char* path, bool& mismatch) const;
    // The same from any container (the forms above call these).
    static KEFOVariable* LookForVariable(const KEFOContainer* from, int type, const KEFOPath* path, bool& mismatch);
    static KEFOParameter* LookForParameter(const KEFOContainer* from, const KEFOPath* path, bool& mismatch);

    // The declarations of this block (not of nested blocks) of one kind, in
    // declaration order.
    void CollectParameters(std::vector<KEFOParameter*>& out) const;
    void CollectVariables(std::vector<KEFOVariable*>& out) const;
    void CollectStateVariables(std::vector<KEFOVariable*>& out) const;
    void CollectFlowVariables(std::vector<KEFOVariable*>& out) const;
    void CollectSourceVariables(std::vector<KEFOVariable*>& out) const;
    void CollectCCFGroups(std::vector<KEFOCCFGroup*>& out) const;
    int GetNumberOfParameters() const;
    int GetNumberOfVariables() const;

    // Resolves references by path in every declaration of this block and of
    // the containers inside it, in declaration order: variable references in
    // definitions (gates) and CCF-group members, parameter references in
    // distributions, parameter definitions and CCF-group factors and
    // distributions. Each reference is looked up from the container its term
    // was made in (this block when the term has none); a reference found
    // without mismatch points to its port (an undetermined reference takes
    // the port's actual type), one not found is left unresolved, silently.
    // A resolved CCF-group member's variable is linked to its group.
    void UpdateInternalReferencesInDeclarations();
    // The same for one formula.
    static void UpdateInternalReferencesInGate(const KEFOContainer* context, KEFOGate* gate);
    static void UpdateInternalReferencesInStochasticExpression(const KEFOContainer* context,
                                                               KEFOStochasticExpression* expression);

private:
    KEFOBlock* _NewContainer(int type, KEFOPath* path, KEFOPath* cloningPath);

    KEFOPath* _cloningPath = nullptr;
    bool _pure = false;
};

#endif
