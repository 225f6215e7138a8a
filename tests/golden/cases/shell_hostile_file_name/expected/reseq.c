
/* Start of C file from 'a b;touch PWNED.va' */ 

#line  1  "a b;touch PWNED.va" 

#define      V(x)       x    
#define      V2(x,y)   (x-y) 


/*  Start of Module res ( p,n ) */

#line  3  "a b;touch PWNED.va" 
/* Module : 'RES'     Electrical : p n */

int
RESevaluate ( p, n) 
 double    p, n;
{ 
#line  3  "a b;touch PWNED.va" 
    _I(p,n) <== V2(p,n) ; 

} /* End of Module 'RES' */





/* End of C file from 'a b;touch PWNED.va' */ 
